// For Each over the control's lists from JScript, through an Enumerator: the logs and sources of
// the machine, and the insertion strings and data bytes of a record.
//   cscript //nologo for-each.js [event source]
// Ends with exit code 77 when every step ran (cscript hides a script that stopped on an error).
var sourceName = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "Corvane Demo";
function each(list, visit) {
  for (var e = new Enumerator(list); !e.atEnd(); e.moveNext()) visit(e.item());
}

var log = new ActiveXObject("Corvane.Rendal");
var names = [];
each(log.GetEventSources(), function (name) { names.push(name); });
WScript.Echo("Logs and sources: " + names.join(", "));

// An event with two insertion strings and three data bytes, read back as the newest record.
log.SourceName = sourceName;
var writer = log.WriteObject;
writer.EventType = 4;
writer.Strings.Text = "FOR-EACH\r\njscript\r\n";
writer.DataBytes.Clear();
writer.DataBytes.Add(1);
writer.DataBytes.Add(2);
writer.DataBytes.Add(250);
log.AddObject(writer);
log.SourceName = "Application";
log.Active = true;
var item = log.Objects(log.Count() - 1);
each(item.Strings, function (text) { WScript.Echo("Insertion string: " + text); });
var sum = 0;
each(item.DataBytes, function (value) { sum += value; });
WScript.Echo("Data bytes add up to " + sum);
log.Active = false;
WScript.Quit(77);
