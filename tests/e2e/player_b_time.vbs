' MP3 player B's position, duration and clock texts while a real MP3 of
' known length plays through the MCI service.

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_TEST_MP3")
Dim lengthMs : lengthMs = CLng(EnvironmentValue("ORVALIS_TEST_MP3_MS"))
Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")

On Error Resume Next
Check "EndOfSong is false before anything plays", Not player.EndOfSong()
Check "no device: DurationInMS is 0", player.DurationInMS() = 0

player.Filename = mp3
Check "the position moves after Play", StartPlayback(player)
CheckNoError "Play"

Dim duration : duration = player.DurationInMS()
Check "DurationInMS is within 100 ms of the file's length (" & duration & " vs " & lengthMs & ")", _
    Abs(duration - lengthMs) <= 100
CheckEqual "DurationInSec", player.DurationInSec(), lengthMs \ 1000
CheckEqual "DurationInMS returns a Long", TypeName(duration), "Long"

Dim first : first = player.PositioninMS()
player.TimeOut 0.6
Dim second : second = player.PositioninMS()
Check "PositioninMS advances while playing (" & first & " then " & second & ")", second >= first + 300
Dim shown : shown = player.FormatPosition()
Check "FormatPosition is a clock text near the start (" & shown & ")", shown = "0:00" Or shown = "0:01" Or shown = "0:02"

Dim remaining : remaining = player.TimeRemaininginMS()
Check "TimeRemaininginMS is length minus position (" & remaining & ")", _
    remaining > 0 And remaining <= duration - second
CheckEqual "FormatTimeRemaining", Left(player.FormatTimeRemaining(), 3), "0:0"

player.ChangePosition 2
CheckNoError "ChangePosition"
Dim moved : moved = player.PositioninMS()
Check "ChangePosition 2 moves to about 2000 ms (" & moved & ")", moved >= 1900 And moved < 2600

' A variable goes by reference, as from a compiled host: it comes back as
' the Long the member stored. An idle player, so the song plays on.
Dim idle : Set idle = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
Dim s : s = 5
idle.ChangePosition s
CheckNoError "ChangePosition s"
CheckEqual "ChangePosition s leaves s at 5000", s, 5000
CheckEqual "s is a Long now", TypeName(s), "Long"
idle.ChangePosition s
CheckEqual "a Long variable is changed in place", TypeName(s) & " " & s, "Long 5000000"
s = "7"
idle.ChangePosition s
CheckEqual "a text variable comes back as the Long 7000", TypeName(s) & " " & s, "Long 7000"
' On overflow the member keeps its argument: the variable stays as it was.
s = 3000000.5
Dim boxes : boxes = MessageBoxLog()
idle.ChangePosition s
CheckNoError "ChangePosition's overflow is handled inside"
Check "the overflow shows the runtime's box", SawMessageBox(boxes, " Error", "Overflow")
CheckEqual "an unchanged argument leaves the variable as it was", TypeName(s) & " " & s, "Double 3000000.5"
' In parentheses the variable goes as a value and is not changed.
s = 4
idle.ChangePosition (s)
CheckEqual "a variable in parentheses is left alone", TypeName(s) & " " & s, "Integer 4"


' Last, as it leaves the device in the "frames" time format.
CheckEqual "FormatDuration", player.FormatDuration(), "0:0" & CLng(lengthMs / 1000)
' The end of the song is checked by player_b_end.vbs in a process of its
' own: after a "play ... from" issued while playing, Wine's audio output
' sometimes stalls for the rest of the process on a new prefix.
player.StopPlay
CheckNoError "no runtime error"
Verdict
