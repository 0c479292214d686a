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
Dim waits : waits = 0
Do While Not player.EndOfSong() And waits < 240
    player.TimeOut 0.25
    waits = waits + 1
Loop
WScript.Echo "EndOfSong      " & player.EndOfSong() & " at " & player.FormatPosition()
player.StopPlay
WScript.Echo "Stopped"
