// A tour of the Rendal event-log control from JScript, the way a script author uses it.
//   cscript //nologo rendal-tour.js [event source] [backup file] [remote machine]
// The event source must be registered under the Application log (for its message texts); the
// backup file must not exist yet. Ends with exit code 77 when every step ran: cscript itself
// hides a script that stopped on an error.
var EVT_ERROR = 1, EVT_WARNING = 2, EVT_INFORMATION = 4;
var typeNames = {0: "success", 1: "error", 2: "warning", 4: "information", 8: "audit success",
                 16: "audit failure"};

var args = WScript.Arguments;
var sourceName = args.length > 0 ? args(0) : "Corvane Demo";
var backupFile = args.length > 1 ? args(1) : "C:\\windows\\temp\\rendal-tour-js.evt";
var remoteMachine = args.length > 2 ? args(2) : "";

function show(text) { WScript.Echo(text); }
function oneLine(text) { return String(text).replace(/\r\n$/, "").replace(/\r\n/g, " | "); }

// Every field of one record, its data bytes and its message text. A date from the control is
// a VT_DATE: new Date() reads it.
function showRecord(log, index) {
  var item = log.Objects(index);
  show("  #" + item.Number + "  " + typeNames[item.EventType] + "  id " + item.EventId +
       "  category " + item.EventCategory + "  source " + item.SourceName);
  show("    generated " + new Date(item.TimeGenerated).toUTCString() +
       ", written " + new Date(item.TimeWritten).toUTCString());
  show("    computer " + item.ComputerName + ", user " + item.Username);
  show("    strings (" + item.Strings.Count + "): " + oneLine(item.Strings.Text));
  var bytes = item.DataBytes, hex = [];
  for (var i = 0; i < bytes.Count; i++) {
    hex.push((bytes.Item(i) + 0x100).toString(16).substr(1).toUpperCase());
  }
  show("    data (" + bytes.Count + " bytes): " + hex.join(" "));
  show("    message: " + oneLine(log.Items(index)));
}

var log = new ActiveXObject("Corvane.Rendal");

show("== Writing two events as \"" + sourceName + "\"");
log.SourceName = sourceName;
log.Add(EVT_ERROR, "written by Add from JScript");
var writer = log.WriteObject;
// Event 1000 of the demo's message module, information severity: "The Corvane demo started on
// %1 as user %2."
writer.EventType = EVT_INFORMATION;
writer.EventId = 0x400003E8;
writer.EventCategory = 5;
writer.Strings.Text = "the JScript tour\r\na script author\r\n";
writer.DataBytes.Clear();
writer.DataBytes.Add(1);
writer.DataBytes.Add(255);
log.AddObject(writer);

show("== The newest records of the Application log");
log.SourceName = "Application";
log.Active = true;
var count = log.Count();
show("  " + count + " records, handle " + log.Handle);
for (var i = count - 1; i >= 0 && i >= count - 2; i--) showRecord(log, i);

show("== Logs, then sources, registered on this machine");
var sources = log.GetEventSources();
show("  " + sources.Count + " names: " + oneLine(sources.Text).replace(/ \| /g, ", "));

show("== Backing the log up to " + backupFile + " and reading the backup");
log.BackupFileName = backupFile;
log.BackupEventLog();
log.Active = false;
log.Active = true;
show("  the backup holds " + log.Count() + " records");
showRecord(log, log.Count() - 1);
log.Active = false;
log.BackupFileName = "";

if (remoteMachine != "") {
  show("== The Application log of " + remoteMachine);
  log.MachineName = remoteMachine;
  log.SourceName = "Application";
  log.Active = true;
  show("  " + log.Count() + " records; the newest:");
  showRecord(log, log.Count() - 1);
  log.Active = false;
  log.MachineName = "";
}

show("== A failing call: a record the log does not have");
log.Active = true;
try {
  log.Objects(log.Count() + 100);
  show("  no error?");
} catch (e) {
  show("  number      = 0x" + (e.number >>> 0).toString(16).toUpperCase());
  show("  description = " + e.description);
}
log.Active = false;

WScript.Quit(77);
