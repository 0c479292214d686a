' The environment the library's scripts rely on: cscript's output reaches the
' runner, the runner's variables reach the script, a script can write files,
' runtime errors are caught, and a VBScript MsgBox is shown, answered and
' logged by the watcher.
' Runs after lib/check.vbs like every suite (the runner joins the two).

Dim logPath : logPath = EnvironmentValue("ORVALIS_MSGBOX_LOG")
Check "ORVALIS_MSGBOX_LOG names the watcher's log (" & logPath & ")", logPath <> "" And fso.FileExists(logPath)

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_TEST_MP3")
Check "ORVALIS_TEST_MP3 names an existing file (" & mp3 & ")", mp3 <> "" And fso.FileExists(mp3)
Dim lengthMs : lengthMs = EnvironmentValue("ORVALIS_TEST_MP3_MS")
Check "ORVALIS_TEST_MP3_MS is a length in ms (" & lengthMs & ")", IsNumeric(lengthMs) And lengthMs <> ""

Dim tmp : tmp = EnvironmentValue("ORVALIS_E2E_TMP")
Check "ORVALIS_E2E_TMP is a folder (" & tmp & ")", tmp <> "" And fso.FolderExists(tmp)
Dim probe : probe = fso.BuildPath(tmp, "env-check.txt")
Dim stream : Set stream = fso.CreateTextFile(probe, True)
stream.WriteLine "one"
stream.Close
CheckEqual "a file written to ORVALIS_E2E_TMP reads back", fso.OpenTextFile(probe).ReadLine, "one"
fso.DeleteFile probe

On Error Resume Next
Err.Raise 6, "env", "raised on purpose"
CheckError "a raised error is caught with its number and text", 6, "raised on purpose"
Dim x : x = CLng("no number")
CheckError "a runtime error is caught (type mismatch)", 13, ""
On Error GoTo 0

Dim before : before = MessageBoxLog()
Dim answer : answer = MsgBox("Shown by VBScript", vbOKOnly, "Env check")
CheckEqual "MsgBox is answered with OK", answer, vbOK
Check "the watcher logged the MsgBox", SawMessageBox(before, "Env check", "Shown by VBScript")

Verdict
