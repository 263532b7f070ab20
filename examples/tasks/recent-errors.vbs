' Usage: cscript //nologo recent-errors.vbs LOG HOURS [MACHINE]
'   Lists the errors and warnings written to LOG in the last HOURS hours, newest first, each with
'   its message text. LOG is a log's name (System, Application), MACHINE another machine (\\NAME)
'   or, when left out, this one. The log is read backwards from its newest record and the reading
'   stops at the first record written before the period, so a large log costs what is recent.
' Exit codes: 0 done (also when there is nothing to report), 1 the log could not be read, 2 bad
' arguments.
Option Explicit

Sub Usage(problem)
  If problem <> "" Then WScript.Echo "recent-errors: " & problem
  WScript.Echo "usage: cscript //nologo recent-errors.vbs LOG HOURS [MACHINE]"
  WScript.Echo "  LOG      a log's name: System, Application, ..."
  WScript.Echo "  HOURS    how far back to look, a positive number of hours"
  WScript.Echo "  MACHINE  another machine, as \\NAME (this one when left out)"
  WScript.Quit 2
End Sub

Function Two(n)
  Two = Right("0" & n, 2)
End Function

Function IsoTime(t)
  IsoTime = Year(t) & "-" & Two(Month(t)) & "-" & Two(Day(t)) & "T" & Two(Hour(t)) & ":" & _
            Two(Minute(t)) & ":" & Two(Second(t)) & "Z"
End Function

' The time now in UTC, which records carry. Windows keeps this machine's offset from UTC in the
' registry; where that value is missing (Wine), the management service gives it.
Function UtcNow()
  Dim bias, os
  On Error Resume Next
  bias = CreateObject("WScript.Shell").RegRead("HKLM\System\CurrentControlSet\Control\TimeZoneInformation\ActiveTimeBias")
  If Err.Number <> 0 Then
    Err.Clear
    For Each os In GetObject("winmgmts:\\.\root\cimv2").ExecQuery("SELECT CurrentTimeZone FROM Win32_OperatingSystem")
      bias = -os.CurrentTimeZone
    Next
  End If
  If Err.Number <> 0 Or IsEmpty(bias) Then
    WScript.Echo "recent-errors: cannot tell this machine's offset from UTC: " & Err.Description
    WScript.Quit 1
  End If
  On Error GoTo 0
  If bias > 2147483647 Then bias = bias - 4294967296    ' a DWORD that stands for a negative bias
  UtcNow = Now + bias / 1440
End Function

Dim args, logName, hours, machine, eventLog, since, i, item, reported, examined, kind
Set args = WScript.Arguments
If args.Count < 2 Or args.Count > 3 Then Usage ""
logName = args(0)
If logName = "" Then Usage "LOG is empty"
If Not IsNumeric(args(1)) Then Usage "HOURS is not a number: " & args(1)
hours = CDbl(args(1))
If hours <= 0 Then Usage "HOURS must be above 0: " & args(1)
machine = ""
If args.Count = 3 Then machine = args(2)

Set eventLog = CreateObject("Corvane.Rendal")
On Error Resume Next
eventLog.MachineName = machine
If Err.Number <> 0 Then Usage "MACHINE: " & Err.Description
eventLog.SourceName = logName
If Err.Number <> 0 Then Usage "LOG: " & Err.Description
eventLog.Active = True
If Err.Number <> 0 Then
  WScript.Echo "recent-errors: cannot open " & logName & ": " & Err.Description
  WScript.Quit 1
End If
On Error GoTo 0

since = UtcNow() - hours / 24          ' dates count days
reported = 0
examined = 0
For i = eventLog.Count - 1 To 0 Step -1
  On Error Resume Next
  Set item = eventLog.Objects(i)
  If Err.Number <> 0 Then
    WScript.Echo "recent-errors: record " & i & " of " & logName & " cannot be read: " & Err.Description
    WScript.Quit 1
  End If
  On Error GoTo 0
  examined = examined + 1
  ' The log is in the order records were written: everything before this one is older still.
  If item.TimeWritten < since Then Exit For
  If item.EventType = 1 Or item.EventType = 2 Then
    kind = "warning"
    If item.EventType = 1 Then kind = "error"
    WScript.Echo IsoTime(item.TimeGenerated) & "  " & kind & "  " & item.SourceName & "  id " & _
                 (item.EventId And &HFFFF&) & "  #" & i
    WScript.Echo "    " & Replace(eventLog.Items(i), vbCrLf, vbCrLf & "    ")
    reported = reported + 1
  End If
Next
eventLog.Active = False
WScript.Echo "recent-errors: " & reported & " errors and warnings in the last " & hours & " hours of " & _
             logName & " (" & examined & " records read)"
WScript.Quit 0
