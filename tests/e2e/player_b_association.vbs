' MP3 player B's file-type association, read back from the registry.

Dim shell : Set shell = CreateObject("WScript.Shell")
Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")

Function RegistryText(key)
    RegistryText = "(missing)"
    On Error Resume Next
    RegistryText = shell.RegRead(key)
    Err.Clear
End Function

' The text reg.exe prints for a key's default value.
Function RegQuery(key)
    Dim run
    Set run = shell.Exec("reg query """ & key & """ /ve")
    RegQuery = run.StdOut.ReadAll
End Function

On Error Resume Next
player.MyAppDefault "OrvalisTestPlayer", "C:\Apps\player.exe ""%1""", ".orvtest"
CheckNoError "MyAppDefault"
CheckEqual "the extension points at the application", RegistryText("HKCR\.orvtest\"), "OrvalisTestPlayer"
CheckEqual "the open command is stored unchanged", _
    RegistryText("HKCR\OrvalisTestPlayer\Shell\Open\Command\"), "C:\Apps\player.exe ""%1"""
Check "reg query shows the association", InStr(RegQuery("HKCR\.orvtest"), "OrvalisTestPlayer") > 0

player.MyAppDefault "OrvalisOtherPlayer", "other.exe", ".orvtest"
CheckEqual "a second call re-points the extension", RegistryText("HKCR\.orvtest\"), "OrvalisOtherPlayer"
CheckEqual "the first application's command stays", _
    RegistryText("HKCR\OrvalisTestPlayer\Shell\Open\Command\"), "C:\Apps\player.exe ""%1"""

player.MyAppDefault "OrvalisTestPlayer", "x.exe", "orvnodot"
CheckEqual "an extension without a dot names the key exactly", RegistryText("HKCR\orvnodot\"), "OrvalisTestPlayer"

Dim key
For Each key In Array("HKCR\.orvtest\", "HKCR\orvnodot\", "HKCR\OrvalisTestPlayer\Shell\Open\Command\", _
        "HKCR\OrvalisTestPlayer\Shell\Open\", "HKCR\OrvalisTestPlayer\Shell\", "HKCR\OrvalisTestPlayer\", _
        "HKCR\OrvalisOtherPlayer\Shell\Open\Command\", "HKCR\OrvalisOtherPlayer\Shell\Open\", _
        "HKCR\OrvalisOtherPlayer\Shell\", "HKCR\OrvalisOtherPlayer\")
    shell.RegDelete key
Next
Err.Clear

' FormMove needs an object with hWnd: anything else fails to the caller.
Dim before : before = MessageBoxLog()
player.FormMove (CreateObject("Scripting.Dictionary"))
CheckError "FormMove on an object without hWnd gives the missing-member error", 438, ""
WScript.Sleep 300
CheckEqual "FormMove shows no message box", Mid(MessageBoxLog(), Len(before) + 1), ""
Verdict
