' Usage: cscript //nologo machines-summary.vbs LIST
'   For each machine named in the text file LIST (one name a line, as NAME or \\NAME; blank lines
'   and lines starting with # are skipped), counts the error events per source in its System and
'   Application logs, one line a machine:
'     \\CORVSRV  System 0 errors; Application 1 errors: Payroll 1
'   A machine or log that cannot be read is reported on its line and the script goes on:
'     \\NOSUCH  cannot be read: 1722: The RPC server is unavailable.
' Exit codes: 0 every machine was read, 1 some could not be, 2 bad arguments.
Option Explicit

Sub Usage(problem)
  If problem <> "" Then WScript.Echo "machines-summary: " & problem
  WScript.Echo "usage: cscript //nologo machines-summary.vbs LIST"
  WScript.Echo "  LIST  a text file with one machine name a line"
  WScript.Quit 2
End Sub

' "N errors: source N, source N" for one log, sources in the order first met; false when the log
' cannot be read (the reason is in `summary`).
Function SummariseLog(eventLog, logName, summary)
  Dim perSource, i, item, total, source, separator
  SummariseLog = False
  Set perSource = CreateObject("Scripting.Dictionary")
  perSource.CompareMode = 1               ' sources are named without regard to case
  On Error Resume Next
  eventLog.SourceName = logName
  eventLog.Active = True
  If Err.Number <> 0 Then
    summary = "cannot be read: " & Err.Description
    Exit Function
  End If
  For i = 0 To eventLog.Count - 1
    Set item = eventLog.Objects(i)
    If Err.Number <> 0 Then
      summary = "stopped at record " & i & ": " & Err.Description
      eventLog.Active = False
      Exit Function
    End If
    If item.EventType = 1 Then
      perSource(item.SourceName) = perSource(item.SourceName) + 1
      total = total + 1
    End If
  Next
  eventLog.Active = False
  On Error GoTo 0
  summary = CLng(total) & " errors"
  separator = ":"
  For Each source In perSource.Keys
    summary = summary & separator & " " & source & " " & perSource(source)
    separator = ","
  Next
  SummariseLog = True
End Function

Dim args, fso, list, line, machine, eventLog, failures, logs, results(1), read(1), k
logs = Array("System", "Application")
Set args = WScript.Arguments
If args.Count <> 1 Then Usage ""
Set fso = CreateObject("Scripting.FileSystemObject")
If Not fso.FileExists(args(0)) Then Usage "no such file: " & args(0)
Set list = fso.OpenTextFile(args(0), 1)
failures = 0
Do Until list.AtEndOfStream
  line = Trim(Replace(list.ReadLine, vbTab, " "))
  If line <> "" And Left(line, 1) <> "#" Then
    machine = line
    If Left(machine, 2) <> "\\" Then machine = "\\" & machine
    Set eventLog = CreateObject("Corvane.Rendal")
    On Error Resume Next
    eventLog.MachineName = machine
    If Err.Number <> 0 Then
      WScript.Echo machine & "  not a machine name: " & Err.Description
      failures = failures + 1
      Err.Clear
    Else
      On Error GoTo 0
      For k = 0 To 1
        read(k) = SummariseLog(eventLog, logs(k), results(k))
      Next
      If Not read(0) And Not read(1) And results(0) = results(1) Then
        WScript.Echo machine & "  " & results(0)
      Else
        WScript.Echo machine & "  System " & results(0) & "; Application " & results(1)
      End If
      If Not (read(0) And read(1)) Then failures = failures + 1
    End If
    On Error GoTo 0
  End If
Loop
list.Close
If failures > 0 Then WScript.Quit 1
WScript.Quit 0
