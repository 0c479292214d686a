' The playback watcher of orvalisevents.dll from a script host: its members
' and errors, and its events through WScript.ConnectObject, raised while
' player B's TimeOut lets the thread's messages flow (WScript.Sleep does
' not, under Wine). Wine's script host has no ConnectObject (it answers
' error 445): there the same events go to a sink object of the tests' own,
' OrvalisTest.EventRecorder (event_recorder.dll, registered by run.sh for
' the scripts only), which the script connects to the watcher itself. Its
' events are then raised on the script's thread while the script waits in
' TimeOut, as they would be through ConnectObject; the recorder writes them
' as the handlers below do, and marks any that name another player or come
' on another thread.

Dim events : events = ""
Dim watchedPlayer

Sub Watcher_StateChanged(oPlayer, lNewState)
    events = events & "StateChanged(" & lNewState & ") "
    If Not oPlayer Is watchedPlayer Then events = events & "(another player) "
End Sub

Sub Watcher_Ended(oPlayer, sName)
    events = events & "Ended(" & sName & ") "
End Sub

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_TWO_SECOND_MP3")
Dim watcher : Set watcher = CreateObject("OrvalisEvents.clsVxAudoWatcherA")
CheckEqual "the watcher's Interval starts at 250", watcher.Interval, 250

On Error Resume Next
watcher.Interval = 20000
CheckError "an Interval above 10000 ms is error 380", 380, ""
CheckEqual "and the Interval stays 250", watcher.Interval, 250
watcher.Watch CreateObject("Orvalis.clsVxAudoWMixerA")
CheckError "watching another class of the library is error 5", 5, ""
watcher.Watch Nothing
CheckError "watching Nothing is error 91", 91, ""
WScript.ConnectObject watcher, "Watcher_"
Dim connected : connected = (Err.Number = 0)
Dim recorder
If Err.Number = 445 Then
    WScript.Echo "NOTE this script host has no WScript.ConnectObject (error 445):" & _
        " the events go to the tests' own sink, OrvalisTest.EventRecorder"
    Err.Clear
    Set recorder = CreateObject("OrvalisTest.EventRecorder")
    CheckNoError "the tests' event recorder is registered for the scripts"
Else
    CheckNoError "WScript.ConnectObject connects the watcher's events"
End If
Err.Clear
On Error Goto 0

Set watchedPlayer = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
watcher.Watch watchedPlayer
watcher.Watch watchedPlayer
CheckEqual "watching a player twice watches it once", watcher.WatchedCount, 1
If connected Then
    PlayToTheEndAndStop
    WScript.DisconnectObject watcher
ElseIf Not IsEmpty(recorder) Then
    recorder.Connect watcher, watchedPlayer
    PlayToTheEndAndStop
    recorder.Disconnect
    watchedPlayer.Play
    watchedPlayer.TimeOut 0.8
    watchedPlayer.StopPlay
    watchedPlayer.TimeOut 1
    CheckEqual "a disconnected sink hears nothing more", RecordedEvents(), ""
End If

' The two scenarios, through whichever sink is connected.
Sub PlayToTheEndAndStop()
    watchedPlayer.Filename = mp3
    watchedPlayer.Play
    watchedPlayer.TimeOut 3.5
    CheckEqual "a song played to its end: playing, stopped, Ended with its name", _
        RecordedEvents(), "StateChanged(2) StateChanged(1) Ended(" & mp3 & ") "

    watchedPlayer.Play
    watchedPlayer.TimeOut 0.8
    watchedPlayer.StopPlay
    watchedPlayer.TimeOut 2
    CheckEqual "a song the script stops itself: playing, closed and no Ended", _
        RecordedEvents(), "StateChanged(2) StateChanged(0) "
End Sub

' The events heard since the last call, and a fresh start.
Function RecordedEvents()
    If connected Then
        RecordedEvents = events
        events = ""
    Else
        RecordedEvents = recorder.Events
        recorder.Clear
    End If
End Function

watcher.UnwatchAll
CheckEqual "UnwatchAll lets every player go", watcher.WatchedCount, 0
Verdict
