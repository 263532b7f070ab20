' Usage: cscript //nologo watch.vbs LOG [SECONDS [ROUNDS]]
'   Prints each new record of the log LOG of this machine, with its message text, as it arrives,
'   until stopped (Ctrl+C), looking every SECONDS seconds (2 when left out); with ROUNDS, it stops
'   after that many looks. It goes on when the log is cleared, from the records written after.
'   It polls Count rather than waiting for OnChange, so that it runs in every script host. Each
'   look opens the log afresh and compares the last record it showed with what the log holds at
'   that place now, so that a clear is noticed also when as many records arrived after it.
'   Waiting: WScript.Sleep where the host has it; Wine's script host refuses it (error 445), and
'   there the script waits with a hidden "ping -n SECONDS+1 127.0.0.1", about a second an echo.
' Exit codes: 0 stopped after ROUNDS, 1 the log could not be read, 2 bad arguments.
Option Explicit

Sub Usage(problem)
  If problem <> "" Then WScript.Echo "watch: " & problem
  WScript.Echo "usage: cscript //nologo watch.vbs LOG [SECONDS [ROUNDS]]"
  WScript.Echo "  LOG      a log's name: Application, System, ..."
  WScript.Echo "  SECONDS  how often to look, whole seconds from 1 (2 when left out)"
  WScript.Echo "  ROUNDS   stop after this many looks (never when left out)"
  WScript.Quit 2
End Sub

Function WholeNumber(text, name)
  If Not IsNumeric(text) Then Usage name & " is not a number: " & text
  If CDbl(text) < 1 Or CDbl(text) <> Int(CDbl(text)) Then Usage name & " must be a whole number from 1: " & text
  WholeNumber = CLng(text)
End Function

Dim canSleep, shell
canSleep = True
Sub Wait(seconds)
  If canSleep Then
    On Error Resume Next
    WScript.Sleep seconds * 1000
    If Err.Number = 0 Then Exit Sub
    canSleep = False
    On Error GoTo 0
  End If
  shell.Run "ping -n " & (seconds + 1) & " 127.0.0.1", 0, True
End Sub

Function Two(n)
  Two = Right("0" & n, 2)
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

' What tells one record from another well enough to see that the log changed under it.
Function Fingerprint(item)
  Fingerprint = CDbl(item.TimeWritten) & "|" & item.SourceName & "|" & item.EventId & "|" & item.Strings.Text
End Function

Sub Show(eventLog, i)
  Dim item, t
  Set item = eventLog.Objects(i)
  t = item.TimeGenerated
  WScript.Echo Year(t) & "-" & Two(Month(t)) & "-" & Two(Day(t)) & "T" & Two(Hour(t)) & ":" & _
               Two(Minute(t)) & ":" & Two(Second(t)) & "Z  " & TypeText(item.EventType) & "  " & _
               item.SourceName & "  id " & (item.EventId And &HFFFF&)
  WScript.Echo "    " & Replace(eventLog.Items(i), vbCrLf, vbCrLf & "    ")
End Sub

Dim args, logName, seconds, rounds, eventLog, seen, count, round, i, last, cleared
Set args = WScript.Arguments
If args.Count < 1 Or args.Count > 3 Then Usage ""
logName = args(0)
If logName = "" Then Usage "LOG is empty"
seconds = 2
If args.Count >= 2 Then seconds = WholeNumber(args(1), "SECONDS")
rounds = 0
If args.Count = 3 Then rounds = WholeNumber(args(2), "ROUNDS")
Set shell = CreateObject("WScript.Shell")

Set eventLog = CreateObject("Corvane.Rendal")
On Error Resume Next
eventLog.SourceName = logName
If Err.Number <> 0 Then Usage "LOG: " & Err.Description
eventLog.Active = True
If Err.Number <> 0 Then
  WScript.Echo "watch: cannot open " & logName & ": " & Err.Description
  WScript.Quit 1
End If
On Error GoTo 0
seen = eventLog.Count
last = ""
If seen > 0 Then last = Fingerprint(eventLog.Objects(seen - 1))
WScript.Echo "watch: " & logName & " holds " & seen & " records; new ones follow"
round = 0
Do While rounds = 0 Or round < rounds
  Wait seconds
  round = round + 1
  ' Afresh: a log that was cleared is read anew, not from what the control kept.
  eventLog.Active = False
  eventLog.Active = True
  count = eventLog.Count
  cleared = count < seen
  If Not cleared And seen > 0 Then cleared = Fingerprint(eventLog.Objects(seen - 1)) <> last
  If cleared Then
    WScript.Echo "watch: " & logName & " was cleared"
    seen = 0
  End If
  For i = seen To count - 1
    Show eventLog, i
  Next
  seen = count
  If seen > 0 Then last = Fingerprint(eventLog.Objects(seen - 1))
Loop
eventLog.Active = False
WScript.Quit 0
