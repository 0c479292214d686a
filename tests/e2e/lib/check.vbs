' Shared by the end-to-end scripts, which the runner appends to this file
' (Wine's VBScript has no ExecuteGlobal): one PASS or FAIL line per check
' and a closing verdict, since cscript itself reports no runtime error.
Option Explicit

Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Dim gPassed, gFailed
gPassed = 0
gFailed = 0

Sub Check(name, condition)
    If condition Then
        gPassed = gPassed + 1
        WScript.Echo "PASS " & name
    Else
        gFailed = gFailed + 1
        WScript.Echo "FAIL " & name
    End If
End Sub

Sub CheckEqual(name, actual, expected)
    If actual = expected Then
        Check name, True
    Else
        Check name & " (got [" & actual & "], expected [" & expected & "])", False
    End If
End Sub

' Checks the error of the last statement run under On Error Resume Next.
Sub CheckError(name, number, description)
    If Err.Number = number And (description = "" Or Err.Description = description) Then
        Check name, True
    Else
        Check name & " (got " & Err.Number & " " & Err.Description & ")", False
    End If
    Err.Clear
End Sub

Sub CheckNoError(name)
    CheckError name, 0, ""
End Sub

Sub Verdict()
    WScript.Echo "VERDICT: " & gPassed & " passed, " & gFailed & " failed"
End Sub

Function EnvironmentValue(name)
    EnvironmentValue = CreateObject("WScript.Shell").Environment("PROCESS")(name)
End Function

' The message boxes the watcher has dismissed so far, one "title<TAB>text"
' line each.
Function MessageBoxLog()
    Dim fso, path
    Set fso = CreateObject("Scripting.FileSystemObject")
    path = EnvironmentValue("ORVALIS_MSGBOX_LOG")
    MessageBoxLog = ""
    If path <> "" Then
        If fso.FileExists(path) Then
            If fso.GetFile(path).Size > 0 Then MessageBoxLog = fso.OpenTextFile(path).ReadAll
        End If
    End If
End Function

' Waits up to two seconds for the watcher to log a box with this title and
' text after `before` (an earlier MessageBoxLog). Wine's cscript may lack
' WScript.Sleep; its error must not skip the caller's check, so a box that
' never comes gives False (the watcher logs a box before it dismisses it,
' so a box shown by a call that has returned is in the log already).
Function SawMessageBox(before, title, text)
    Dim i, added
    On Error Resume Next
    SawMessageBox = False
    For i = 1 To 40
        added = Mid(MessageBoxLog(), Len(before) + 1)
        If InStr(added, title & vbTab & text) > 0 Then
            SawMessageBox = True
            Exit Function
        End If
        WScript.Sleep 50
    Next
    Err.Clear
End Function

' Plays the player's file from the start and waits until its position
' moves, so that timing checks start from a song that really plays: under an
' emulated Wine the service takes a moment to get going. Play closes and
' reopens the device, so a start that never moves is tried again, up to
' three times. True once the position has moved.
Function StartPlayback(player)
    Dim attempt, poll
    StartPlayback = False
    For attempt = 1 To 3
        player.Play
        For poll = 1 To 10
            player.TimeOut 0.5
            If player.PositioninMS() > 0 Then
                StartPlayback = True
                Exit Function
            End If
        Next
        WScript.Echo "NOTE start " & attempt & ": the position stayed at 0 for 5 s"
    Next
End Function

' A folder of this name in the temporary folder, made when it is missing.
Function TemporaryFolder(name)
    TemporaryFolder = fso.GetSpecialFolder(2) & "\" & name
    If Not fso.FolderExists(TemporaryFolder) Then fso.CreateFolder TemporaryFolder
End Function

Sub DeleteIfPresent(path)
    If fso.FileExists(path) Then fso.DeleteFile path
End Sub

' The items of a Dictionary keyed 0, 1, 2, ... joined with "|" (Wine's
' VBScript has no Join).
Function JoinedItems(items)
    Dim i
    JoinedItems = ""
    For i = 0 To items.Count - 1
        If i > 0 Then JoinedItems = JoinedItems & "|"
        JoinedItems = JoinedItems & items(i)
    Next
End Function
