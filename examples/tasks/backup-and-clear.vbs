' Usage: cscript //nologo backup-and-clear.vbs LOG FOLDER
'   Backs the log LOG up to a dated file in FOLDER (LOG-YYYYMMDD-HHMMSS.evt), opens the backup and
'   checks that it holds as many records as the log had, and only then clears the log. When the
'   check fails, or an event arrived after the backup was taken, nothing is cleared and the
'   script says why. Clearing needs an administrator's rights.
' Exit codes: 0 backed up and cleared, 1 nothing cleared (the reason is printed), 2 bad arguments.
Option Explicit

Sub Usage(problem)
  If problem <> "" Then WScript.Echo "backup-and-clear: " & problem
  WScript.Echo "usage: cscript //nologo backup-and-clear.vbs LOG FOLDER"
  WScript.Echo "  LOG     a log's name: Application, System, ..."
  WScript.Echo "  FOLDER  an existing folder for the backup file"
  WScript.Quit 2
End Sub

Sub Refuse(reason)
  WScript.Echo "backup-and-clear: nothing cleared: " & reason
  WScript.Quit 1
End Sub

Function Two(n)
  Two = Right("0" & n, 2)
End Function

Dim args, fso, logName, folder, eventLog, backup, file, t, had, holds
Set args = WScript.Arguments
If args.Count <> 2 Then Usage ""
logName = args(0)
If logName = "" Then Usage "LOG is empty"
Set fso = CreateObject("Scripting.FileSystemObject")
If Not fso.FolderExists(args(1)) Then Usage "no such folder: " & args(1)
folder = fso.GetAbsolutePathName(args(1))
t = Now
file = fso.BuildPath(folder, logName & "-" & Year(t) & Two(Month(t)) & Two(Day(t)) & "-" & _
                     Two(Hour(t)) & Two(Minute(t)) & Two(Second(t)) & ".evt")
If fso.FileExists(file) Then Refuse file & " exists already"

Set eventLog = CreateObject("Corvane.Rendal")
Set backup = CreateObject("Corvane.Rendal")
On Error Resume Next
eventLog.SourceName = logName
If Err.Number <> 0 Then Usage "LOG: " & Err.Description
eventLog.Active = True
If Err.Number <> 0 Then Refuse "cannot open " & logName & ": " & Err.Description
had = eventLog.Count
eventLog.BackupFileName = file
eventLog.BackupEventLog
If Err.Number <> 0 Then Refuse "the backup to " & file & " failed: " & Err.Description

' The check: the backup, opened as a log of its own, holds every record.
backup.BackupFileName = file
backup.Active = True
If Err.Number <> 0 Then Refuse "the backup " & file & " cannot be opened: " & Err.Description
holds = backup.Count
backup.Active = False
If holds <> had Then Refuse "the backup " & file & " holds " & holds & " records, the log had " & had
If eventLog.Count <> had Then Refuse "events arrived after the backup was taken; run again"

eventLog.Clear
If Err.Number <> 0 Then Refuse "clearing " & logName & " failed: " & Err.Description
On Error GoTo 0
eventLog.Active = False
WScript.Echo "backup-and-clear: " & had & " records of " & logName & " backed up to " & file & " and cleared"
WScript.Quit 0
