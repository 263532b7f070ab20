' A tour of the Rendal event-log control from VBScript, the way a script author uses it.
'   cscript //nologo rendal-tour.vbs [event source] [backup file] [remote machine]
' The event source must be registered under the Application log (for its message texts); the
' backup file must not exist yet. Ends with exit code 77 when every step ran: cscript itself
' hides a script that stopped on an error.
Option Explicit

Const EVT_ERROR = 1, EVT_WARNING = 2, EVT_INFORMATION = 4

Dim args, sourceName, backupFile, remoteMachine
Set args = WScript.Arguments
sourceName = "Corvane Demo"
backupFile = "C:\windows\temp\rendal-tour-vbs.evt"
remoteMachine = ""
If args.Count > 0 Then sourceName = args(0)
If args.Count > 1 Then backupFile = args(1)
If args.Count > 2 Then remoteMachine = args(2)

Sub Show(text)
  WScript.Echo text
End Sub

' Lines joined by `separator`, without the break that ends the last one.
Function OneLine(text, separator)
  If Right(text, 2) = vbCrLf Then text = Left(text, Len(text) - 2)
  OneLine = Replace(text, vbCrLf, separator)
End Function

Function TypeName_(eventType)
  Select Case eventType
    Case 0: TypeName_ = "success"
    Case EVT_ERROR: TypeName_ = "error"
    Case EVT_WARNING: TypeName_ = "warning"
    Case EVT_INFORMATION: TypeName_ = "information"
    Case 8: TypeName_ = "audit success"
    Case 16: TypeName_ = "audit failure"
  End Select
End Function

' Every field of one record, its data bytes and its message text.
Sub ShowRecord(log, index)
  Dim item, bytes, hexText, i
  Set item = log.Objects(index)
  Show "  #" & item.Number & "  " & TypeName_(item.EventType) & "  id " & item.EventId & _
       "  category " & item.EventCategory & "  source " & item.SourceName
  Show "    generated " & item.TimeGenerated & ", written " & item.TimeWritten & " (UTC)"
  Show "    computer " & item.ComputerName & ", user " & item.Username
  Show "    strings (" & item.Strings.Count & "): " & OneLine(item.Strings.Text, " | ")
  Set bytes = item.DataBytes
  hexText = ""
  For i = 0 To bytes.Count - 1
    hexText = hexText & Right("0" & Hex(bytes.Item(i)), 2) & " "
  Next
  Show "    data (" & bytes.Count & " bytes): " & hexText
  Show "    message: " & OneLine(log.Items(index), " / ")
End Sub

Dim log, writer, i, count, sources
Set log = CreateObject("Corvane.Rendal")

Show "== Writing two events as """ & sourceName & """"
log.SourceName = sourceName
log.Add EVT_WARNING, "written by Add from VBScript"
Set writer = log.WriteObject
' Event 1000 of the demo's message module, information severity: "The Corvane demo started on
' %1 as user %2."
writer.EventType = EVT_INFORMATION
writer.EventId = &H400003E8
writer.EventCategory = 3
writer.Strings.Text = "the VBScript tour" & vbCrLf & "a script author" & vbCrLf
writer.DataBytes.Clear
writer.DataBytes.Add 202
writer.DataBytes.Add 254
log.AddObject writer

Show "== The newest records of the Application log"
log.SourceName = "Application"
log.Active = True
count = log.Count
Show "  " & count & " records, handle " & log.Handle
For i = count - 1 To count - 2 Step -1
  If i >= 0 Then ShowRecord log, i
Next

Show "== Logs, then sources, registered on this machine"
Set sources = log.GetEventSources
Show "  " & sources.Count & " names: " & OneLine(sources.Text, ", ")

Show "== Backing the log up to " & backupFile & " and reading the backup"
log.BackupFileName = backupFile
log.BackupEventLog
log.Active = False
log.Active = True
Show "  the backup holds " & log.Count & " records"
ShowRecord log, log.Count - 1
log.Active = False
log.BackupFileName = ""

If remoteMachine <> "" Then
  Show "== The Application log of " & remoteMachine
  log.MachineName = remoteMachine
  log.SourceName = "Application"
  log.Active = True
  Show "  " & log.Count & " records; the newest:"
  ShowRecord log, log.Count - 1
  log.Active = False
  log.MachineName = ""
End If

Show "== A failing call: a record the log does not have"
log.Active = True
On Error Resume Next
Dim missing
Set missing = log.Objects(log.Count + 100)
Show "  Err.Number      = &H" & Hex(Err.Number)
Show "  Err.Description = " & Err.Description
Show "  Err.Source      = " & Err.Source
On Error GoTo 0
log.Active = False

WScript.Quit 77
