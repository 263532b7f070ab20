// Late-bound JScript against Corvane.Rendal: Add and AddObject, a record read back with its data
// bytes, strings and message text, an error record in catch, the list of logs and sources, and
// a log of a machine of the simulated network. Arguments: event source, its log, remote machine.
// Exit code 77 only when every check held.
var failures = 0;
function check(ok, what) {
  if (!ok) { WScript.Echo("FAILED: " + what); failures++; }
}

var sourceName = WScript.Arguments(0), logName = WScript.Arguments(1);
var remoteMachine = WScript.Arguments(2);
var log = new ActiveXObject("Corvane.Rendal");
log.SourceName = sourceName;
log.Add(2, "plain text from JScript");
var writer = log.WriteObject;
writer.EventType = 4;
writer.EventId = 1073742824;
writer.Strings.Text = "HOST-JS\r\njscript\r\n";
writer.DataBytes.Clear();
writer.DataBytes.Add(171);
log.AddObject(writer);

log.SourceName = logName;
log.Active = true;
check(log.Active === true, "Active is a boolean true");
var count = log.Count();
var item = log.Objects(count - 1);
check(item.EventId == 1073742824 && item.EventType == 4, "newest record " + item.EventId);
check(item.DataBytes.Count == 1 && item.DataBytes.Item(0) == 171, "data bytes");
check(item.Strings.Text == "HOST-JS\r\njscript\r\n", "strings " + item.Strings.Text);
check(log.Items(count - 1).indexOf("The Corvane demo started on HOST-JS as user jscript.") == 0,
      "message " + log.Items(count - 1));
var previous = log.Objects(count - 2);
check(previous.EventType == 2 && previous.Strings.Item(0) == "plain text from JScript",
      "record written by Add");

var names = log.GetEventSources().Text;
check(names.indexOf(logName + "\r\n") >= 0 && names.indexOf(sourceName + "\r\n") >= 0,
      "logs and sources " + names);

try {
  log.Objects(-1);
  check(false, "Objects(-1) failed");
} catch (e) {
  check(e.number < 0 && e.description != "", "error record " + e.number + " " + e.description);
}

// For Each over string lists and byte lists.
var listed = [];
for (var e = new Enumerator(log.GetEventSources()); !e.atEnd(); e.moveNext()) listed.push(e.item());
check(listed.join("\r\n") + "\r\n" == names, "sources enumerated " + listed.length);
var walked = 0;
for (var e = new Enumerator(item.DataBytes); !e.atEnd(); e.moveNext()) walked += e.item();
check(walked == 171, "bytes enumerated " + walked);

// A value whose conversion closes the log, or lets the control go, under a list of its record.
for (var round = 0; round < 3; round++) {
  var closing = new ActiveXObject("Corvane.Rendal");
  closing.SourceName = logName;
  closing.Active = true;
  var lists = [closing.Objects(0).Strings, closing.WriteObject.Strings];
  var actions = [function () { closing.Active = false; }, function () { closing = null; CollectGarbage(); }];
  try {
    lists[round % 2].Add({ toString: function () { actions[round % 2](); return "x"; } });
    check(false, "a list of a closed log took a string");
  } catch (e) {
    check(e.description.indexOf("not available any more") > 0, "list after close: " + e.description);
  }
}
log.Active = false;

// Half a surrogate pair is no character: refused, not written as "?".
try {
  log.Add(4, "\ud800x");
  check(false, "a lone surrogate was written");
} catch (e) {
  check(e.description == "The text of Add cannot hold U+D800 (character 1): half of a surrogate pair is " +
        "not a character. Nothing was written.", "lone surrogate: " + e.description);
}

log.MachineName = remoteMachine;
log.SourceName = "Application";
log.Active = true;
check(log.Count() > 0, "remote count");
log.Active = false;

WScript.Quit(failures == 0 ? 77 : 1);
