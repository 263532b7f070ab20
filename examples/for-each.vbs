' For Each over the control's lists from VBScript: the logs and sources of the machine, and the
' insertion strings and data bytes of a record.
'   cscript //nologo for-each.vbs [event source]
' Ends with exit code 77 when every step ran (cscript hides a script that stopped on an error).
Option Explicit
Dim sourceName, log, writer, item, name, text, byte, bytes
sourceName = "Corvane Demo"
If WScript.Arguments.Count > 0 Then sourceName = WScript.Arguments(0)

Set log = CreateObject("Corvane.Rendal")
WScript.Echo "Logs and sources:"
For Each name In log.GetEventSources()
  WScript.Echo "  " & name
Next

' An event with two insertion strings and three data bytes, read back as the newest record.
log.SourceName = sourceName
Set writer = log.WriteObject
writer.EventType = 4
writer.Strings.Text = "FOR-EACH" & vbCrLf & "vbscript" & vbCrLf
writer.DataBytes.Clear
writer.DataBytes.Add 1
writer.DataBytes.Add 2
writer.DataBytes.Add 250
log.AddObject writer
log.SourceName = "Application"
log.Active = True
Set item = log.Objects(log.Count - 1)
For Each text In item.Strings
  WScript.Echo "Insertion string: " & text
Next
For Each byte In item.DataBytes
  bytes = bytes & " " & Hex(byte)
Next
WScript.Echo "Data bytes:" & bytes
log.Active = False
WScript.Quit 77
