' Usage: cscript //nologo export-csv.vbs SOURCE OUT
'   Exports an event log to a CSV file, oldest record first. SOURCE is a log's name (Application)
'   or the path of a saved log (a .evt file); OUT is the CSV file to write, replaced if it exists.
'   Columns: Number,TimeGenerated,Type,EventId,InstanceId,Category,Source,Computer,User,Message
'   Number is the record's position (0 the oldest), TimeGenerated is UTC (2020-04-26T03:19:48Z),
'   EventId the identifier as event viewers show it, InstanceId the whole identifier, Message the
'   message text. Quoting as RFC 4180, CR LF line ends, in this machine's ANSI code page, which a
'   spreadsheet opens with a double click.
' Exit codes: 0 done, 1 the log could not be read or the file written, 2 bad arguments.
Option Explicit

Sub Usage(problem)
  If problem <> "" Then WScript.Echo "export-csv: " & problem
  WScript.Echo "usage: cscript //nologo export-csv.vbs SOURCE OUT"
  WScript.Echo "  SOURCE  a log's name (Application, System, ...) or the path of a .evt file"
  WScript.Echo "  OUT     the CSV file to write"
  WScript.Quit 2
End Sub

Sub Fail(what)
  WScript.Echo "export-csv: " & what & ": " & Err.Description & " (&H" & Hex(Err.Number) & ")"
  WScript.Quit 1
End Sub

Function Two(n)
  Two = Right("0" & n, 2)
End Function

Function IsoTime(t)
  IsoTime = Year(t) & "-" & Two(Month(t)) & "-" & Two(Day(t)) & "T" & Two(Hour(t)) & ":" & _
            Two(Minute(t)) & ":" & Two(Second(t)) & "Z"
End Function

Function TypeText(eventType)
  Select Case eventType
    Case 1: TypeText = "error"
    Case 2: TypeText = "warning"
    Case 4: TypeText = "information"
    Case 8: TypeText = "audit success"
    Case 16: TypeText = "audit failure"
    Case Else: TypeText = "success"
  End Select
End Function

' A field as RFC 4180 wants it: quoted when it holds a comma, a quote or a line break.
Function Field(text)
  Field = text
  If InStr(text, ",") > 0 Or InStr(text, """") > 0 Or InStr(text, vbCr) > 0 Or InStr(text, vbLf) > 0 Then
    Field = """" & Replace(text, """", """""") & """"
  End If
End Function

Dim args, fso, source, outPath, eventLog, out, i, item, id, unsigned, count
Set args = WScript.Arguments
If args.Count <> 2 Then Usage ""
source = args(0)
outPath = args(1)
If source = "" Then Usage "SOURCE is empty"
Set fso = CreateObject("Scripting.FileSystemObject")
Set eventLog = CreateObject("Corvane.Rendal")

On Error Resume Next
If fso.FileExists(source) Then
  eventLog.BackupFileName = fso.GetAbsolutePathName(source)
ElseIf InStr(source, "\") > 0 Or InStr(source, "/") > 0 Or LCase(Right(source, 4)) = ".evt" Then
  On Error GoTo 0
  Usage "no such file: " & source
Else
  eventLog.SourceName = source
End If
If Err.Number <> 0 Then Usage "SOURCE: " & Err.Description
eventLog.Active = True
If Err.Number <> 0 Then Fail "cannot open " & source
Set out = fso.CreateTextFile(outPath, True, False)    ' False: the ANSI code page
If Err.Number <> 0 Then
  WScript.Echo "export-csv: cannot write " & outPath & ": " & Err.Description
  WScript.Quit 2
End If
On Error GoTo 0

out.WriteLine "Number,TimeGenerated,Type,EventId,InstanceId,Category,Source,Computer,User,Message"
count = eventLog.Count
On Error Resume Next
For i = 0 To count - 1
  Set item = eventLog.Objects(i)
  If Err.Number <> 0 Then Fail "record " & i & " of " & source & " cannot be read"
  id = item.EventId
  unsigned = id
  If unsigned < 0 Then unsigned = unsigned + 4294967296
  out.WriteLine i & "," & IsoTime(item.TimeGenerated) & "," & Field(TypeText(item.EventType)) & "," & _
                (id And &HFFFF&) & "," & unsigned & "," & item.EventCategory & "," & _
                Field(item.SourceName) & "," & Field(item.ComputerName) & "," & Field(item.Username) & "," & _
                Field(eventLog.Items(i))
  If Err.Number <> 0 Then Fail "record " & i & " cannot be written to " & outPath
Next
On Error GoTo 0
out.Close
eventLog.Active = False
WScript.Echo "export-csv: " & count & " records written to " & outPath
WScript.Quit 0
