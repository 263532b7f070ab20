' Late-bound VBScript against Corvane.Rendal: a record written through WriteObject and AddObject
' read back field by field, its data bytes, strings and message text, an error record, refused
' names and limits, and a log of a machine of the simulated network. Arguments: event source,
' its log, remote machine, Chinese text (Wine's VBScript has no ChrW). Exit code 77 only when
' every check held.
Option Explicit
Dim failures : failures = 0
Sub Check(ok, what)
  If Not ok Then
    WScript.Echo "FAILED: " & what
    failures = failures + 1
  End If
End Sub

Dim sourceName, logName, remoteMachine, log, writer, item, count, missing, remoteCount
sourceName = WScript.Arguments(0)
logName = WScript.Arguments(1)
remoteMachine = WScript.Arguments(2)

Set log = CreateObject("Corvane.Rendal")
log.SourceName = sourceName
Set writer = log.WriteObject
writer.EventType = 4
writer.EventId = 1073742824
writer.EventCategory = 7
writer.Strings.Text = "HOST-VBS" & vbCrLf & "tester" & vbCrLf
writer.DataBytes.Clear
writer.DataBytes.Add 0
writer.DataBytes.Add 255
writer.DataBytes.Add 16
log.AddObject writer

log.SourceName = logName
log.Active = True
Check log.Active, "Active after opening"
count = log.Count
Check count > 0, "Count"
Set item = log.Objects(count - 1)
Check item.EventId = 1073742824, "EventId " & item.EventId
Check item.EventType = 4, "EventType " & item.EventType
Check item.EventCategory = 7, "EventCategory " & item.EventCategory
Check item.SourceName = sourceName, "SourceName " & item.SourceName
Check item.ComputerName <> "", "ComputerName"
Check item.Number = count - 1, "Number " & item.Number
Check item.TimeWritten >= item.TimeGenerated And Year(item.TimeGenerated) >= 2020, "times"
Check item.Strings.Count = 2, "Strings.Count " & item.Strings.Count
Check item.Strings(1) = "tester", "Strings(1)"
Check item.DataBytes.Count = 3, "DataBytes.Count " & item.DataBytes.Count
Check item.DataBytes.Item(1) = 255 And item.DataBytes.Item(2) = 16, "DataBytes.Item"
Check InStr(log.Items(count - 1), "The Corvane demo started on HOST-VBS as user tester.") = 1, _
      "Items: " & log.Items(count - 1)

On Error Resume Next
Set missing = log.Objects(count + 5)
Check Err.Number < 0, "Err.Number " & Err.Number
Check Err.Description <> "", "Err.Description"
Check Err.Source = "Corvane.Rendal", "Err.Source " & Err.Source
Err.Clear
log.Clear "C:\backup.evt"
Check Err.Number = 450, "Clear with an argument: " & Err.Number
Check log.Count = count, "Clear with an argument cleared"
Err.Clear
Set log.LogonAs = log.LogonAs
Check Err.Number = 0, "Set LogonAs: " & Err.Description
On Error GoTo 0
Dim line, lines
For Each line In item.Strings
  lines = lines & line & "|"
Next
Check lines = "HOST-VBS|tester|", "For Each over Strings: " & lines
log.Active = False

' What the system would read otherwise than given is refused, naming the member and its limit
' or the character the code page lacks;
' a system error's text ends without a line break.
On Error Resume Next
log.BackupFileName = "x.txt" & Chr(0) & ".evt"
Check InStr(Err.Description, "BackupFileName cannot hold a NUL") = 1, "NUL: " & Err.Description
Err.Clear
log.SourceName = String(65536, "s")
Check InStr(Err.Description, "SourceName can hold at most 255 characters") = 1, _
      "SourceName: " & Err.Description
Err.Clear
writer.Strings.Text = String(40000, "x")
log.AddObject writer
Check InStr(Err.Description, _
            "The insertion string at index 0 of AddObject can hold at most 31839") = 1, _
      "AddObject: " & Err.Description
Err.Clear
log.Add 4, WScript.Arguments(3)
Check Err.Description = "The text of Add cannot hold U+4E8B (character 1): code page 1252 has no " & _
      "such character. Nothing was written.", "Add: " & Err.Description
Err.Clear
log.Clear
Check Err.Description = "6: Invalid handle.", "system text: [" & Err.Description & "]"
On Error GoTo 0

log.MachineName = remoteMachine
log.SourceName = "Application"
log.Active = True
remoteCount = log.Count
Check remoteCount > 0, "remote Count"
Check log.Objects(remoteCount - 1).SourceName <> "", "remote record"
log.Active = False

If failures = 0 Then WScript.Quit 77
WScript.Quit 1
