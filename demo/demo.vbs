' A small host that plays an MP3 through Orvalis and prints what the
' library reads back: duration, position and clock texts while it plays.
Option Explicit

Dim shell : Set shell = CreateObject("WScript.Shell")
Dim mp3 : mp3 = shell.Environment("PROCESS")("ORVALIS_DEMO_MP3")
If WScript.Arguments.Count > 0 Then mp3 = WScript.Arguments(0)

Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
player.Filename = mp3
player.Play
WScript.Echo "Playing        " & player.Filename
WScript.Echo "isPlaying      " & player.isPlaying()
WScript.Echo "DurationInMS   " & player.DurationInMS()
WScript.Echo "FormatDuration " & player.FormatDuration()

Dim second
For second = 1 To 3
    player.TimeOut 1
    WScript.Echo "  at " & player.FormatPosition() & "  position " & player.PositioninMS() & _
        " ms, remaining " & player.FormatTimeRemaining()
Next

player.Pause
WScript.Echo "Paused; isPlaying " & player.isPlaying()
player.ResumePlay
' EndOfSong is true in the song's last whole second. Some MCI services
' rewind a song that has completed, so the wait also ends when the position
' goes back.
Dim waits, position, lastPosition
lastPosition = 0
For waits = 1 To 240
    If player.EndOfSong() Then Exit For
    position = player.PositioninMS()
    If position < lastPosition Then Exit For
    lastPosition = position
    player.TimeOut 0.25
Next
WScript.Echo "EndOfSong      " & player.EndOfSong() & " at " & player.FormatPosition() & _
    ", remaining " & player.FormatTimeRemaining()
player.StopPlay
WScript.Echo "Stopped"

' The library describes itself, and shows its About box through the
' framework component (the test environment's watcher closes it).
Dim info : Set info = CreateObject("Orvalis.clsVxOrvalisA")
Dim app : Set app = info.GetProStdProperties
WScript.Echo "Library        " & app.Title & " " & app.Major & "." & app.Minor & "." & app.Revision & _
    " - " & app.FileDescription
WScript.Echo "About          returned " & info.About()
