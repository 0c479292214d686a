' MP3 player B in the last second of a real 4.8 s MP3: EndOfSong is false
' while the song plays and true through its last whole second, where the
' position and the length agree in seconds and the remaining time is less
' than a second.
'
' Wine's MCI service stops its graph when a song completes or gets "stop",
' and that puts the position back to 0: the device never stands at its end
' here as it does on Windows, and a pause does not hold it in the last
' second. So the suite reads everything while the song plays through its
' last 800 ms.

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_END_MP3")
Dim lengthMs : lengthMs = CLng(EnvironmentValue("ORVALIS_END_MP3_MS"))
Dim lastSecond : lastSecond = lengthMs \ 1000
Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")

' What the player read in the last second.
Dim seenPosition, seenDuration, seenRemaining, seenRemainingMs, seenClock

' Polls EndOfSong four times a second. Once it is true, reads the position,
' length and remaining time, then asks EndOfSong again: still true means
' every reading was taken in the last second, since the position only moves
' on until the song completes and drops to 0. A song that completed in
' between is played again.
Function ReadLastSecond()
    Dim attempt, poll
    ReadLastSecond = False
    For attempt = 1 To 3
        For poll = 1 To 4 * (lastSecond + 4)
            If player.EndOfSong() Then
                seenPosition = player.PositioninSec()
                seenDuration = player.DurationInSec()
                seenRemaining = player.TimeRemaininginSec()
                seenRemainingMs = player.TimeRemaininginMS()
                seenClock = player.FormatTimeRemaining()
                If player.EndOfSong() Then
                    ReadLastSecond = True
                    Exit Function
                End If
                Exit For
            End If
            player.TimeOut 0.25
        Next
        WScript.Echo "NOTE attempt " & attempt & ": the song completed before its last second was read"
        If Not StartPlayback(player) Then Exit Function
    Next
End Function

On Error Resume Next
Check "EndOfSong is false before anything plays", Not player.EndOfSong()
player.Filename = mp3
Check "the position moves after Play", StartPlayback(player)
CheckNoError "Play"
Check "EndOfSong is false while it plays (at " & player.PositioninMS() & " ms)", Not player.EndOfSong()

Check "EndOfSong is true through the last second", ReadLastSecond()
CheckEqual "there PositioninSec is the last second", seenPosition, lastSecond
CheckEqual "there DurationInSec is the same", seenDuration, lastSecond
CheckEqual "there TimeRemaininginSec is 0", seenRemaining, 0
Check "there TimeRemaininginMS is under the last second's length (" & seenRemainingMs & ")", _
    seenRemainingMs > 0 And seenRemainingMs <= player.DurationInMS() - lastSecond * 1000
Check "there FormatTimeRemaining rounds to 0:00 or 0:01 (" & seenClock & ")", _
    seenClock = "0:00" Or seenClock = "0:01"

player.StopPlay
CheckNoError "no runtime error"
Verdict
