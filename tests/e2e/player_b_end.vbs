' MP3 player B at the end of a real MP3: EndOfSong turns true while the
' device stands at its end, and the remaining time reads 0:00.

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_TEST_MP3")
Dim lengthMs : lengthMs = CLng(EnvironmentValue("ORVALIS_TEST_MP3_MS"))
Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")

On Error Resume Next
player.Filename = mp3
Check "the position moves after Play", StartPlayback(player)
CheckNoError "Play"
Check "EndOfSong is false while it plays", Not player.EndOfSong()

'  Under an emulated Wine, queries every 0.1 s starve the playback, so the
' wait polls twice a second.
Dim waited : waited = 0
Do While Not player.EndOfSong() And waited < 40
    player.TimeOut 0.5
    waited = waited + 1
Loop
Check "EndOfSong turns true at the end (position " & player.PositioninMS() & " ms after " & waited & " waits)", player.EndOfSong()
CheckEqual "the position stands at the length in seconds", player.PositioninSec(), lengthMs \ 1000
CheckEqual "FormatTimeRemaining at the end", player.FormatTimeRemaining(), "0:00"
player.StopPlay
CheckNoError "no runtime error"
Verdict
