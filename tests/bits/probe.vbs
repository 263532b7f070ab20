' Creates the control by its program identifier and goes through its type information once.
Set rendal = CreateObject("Corvane.Rendal")
rendal.SourceName = "Application"
If rendal.SourceName = "Application" Then WScript.Quit 77
