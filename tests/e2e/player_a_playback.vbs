' MP3 player A, late-bound from VBScript: a real MP3 plays, pauses, moves
' and stops through the MCI service, and every reading comes back in the
' Variant subtype the class promises (checked with TypeName).
'
' Wine's MCI service (8.0) rewinds on "stop" (MP3Pause sends it), leaves
' "seek ... to" unimplemented, re-opens a closed file for any command that
' names it and rewinds a song that completes: the checks below rely on
' none of that, and moves are checked on a playing file ("play ... from").

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_TEST_MP3")
Dim lengthMs : lengthMs = CLng(EnvironmentValue("ORVALIS_TEST_MP3_MS"))

' Wine's WScript.Sleep returns at once; MP3 player B's TimeOut waits for
' real while the thread's messages flow.
Dim waiter : Set waiter = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
Sub Wait(seconds)
    waiter.TimeOut seconds
End Sub

' Plays the player's file from the start until its position moves (the
' emulated service takes a moment to get going), up to three starts,
' polling four times a second. True once the position has moved.
Function StartPlaybackA(player)
    Dim attempt, poll
    StartPlaybackA = False
    For attempt = 1 To 3
        player.MP3Play
        For poll = 1 To 20
            Wait 0.25
            If player.MP3PositionInMS() > 0 Then
                StartPlaybackA = True
                Exit Function
            End If
        Next
        WScript.Echo "NOTE start " & attempt & ": the position stayed at 0 for 5 s"
    Next
End Function

Sub CheckValue(name, value, subtype, expected)
    CheckEqual name & " is a " & subtype, TypeName(value), subtype
    If Not IsEmpty(expected) Then CheckEqual name, value, expected
End Sub

On Error Resume Next

' --- Without a device: the empty readings, and the caller's Variant ---------

Dim idle : Set idle = CreateObject("Orvalis.clsVxAudoMP3PlayerA")
CheckNoError "creates Orvalis.clsVxAudoMP3PlayerA"
CheckEqual "MP3File starts empty", idle.MP3File, ""
CheckEqual "TheFile starts empty", idle.TheFile, ""
CheckValue "MP3Playing on a new object", idle.MP3Playing(), "Boolean", False
CheckValue "no device: MP3PositionInSec", idle.MP3PositionInSec(), "String", "0"
CheckValue "no device: MP3PositionInMS", idle.MP3PositionInMS(), "Double", 0
CheckValue "no device: MP3Position", idle.MP3Position(), "String", "0:00"
CheckValue "no device: MP3Duration", idle.MP3Duration(), "String", "00:00"
CheckValue "no device: MP3DurationInSec", idle.MP3DurationInSec(), "Empty", Empty
CheckValue "no device: MP3DurationInMs", idle.MP3DurationInMs(), "Double", 0
CheckEqual "the members refreshed the device name", idle.TheFile, """"""

' A VBScript variable is a Variant: MP3ChangePositionTo writes the
' milliseconds back into it, with the runtime's subtype for the product.
Dim second, result
second = 3
result = idle.MP3ChangePositionTo(second)
CheckValue "MP3ChangePositionTo's result", result, "Empty", Empty
CheckValue "3 seconds", second, "Integer", 3000
idle.MP3ChangePositionTo second
CheckValue "the same variable again", second, "Long", 3000000
second = 2.5 : idle.MP3ChangePositionTo second
CheckValue "2.5 seconds", second, "Double", 2500
second = "1.5" : idle.MP3ChangePositionTo second
CheckValue "numeric text", second, "Double", 1500
second = True : idle.MP3ChangePositionTo second
CheckValue "True", second, "Integer", -1000
second = Empty : idle.MP3ChangePositionTo second
CheckValue "Empty", second, "Integer", 0
second = Null : idle.MP3ChangePositionTo second
Check "Null stays Null", IsNull(second)
second = "abc" : idle.MP3ChangePositionTo second
CheckValue "text that is no number is kept", second, "String", "abc"
second = 4 : idle.MP3ChangePositionTo (second)
CheckValue "a value in parentheses goes by value", second, "Integer", 4
CheckNoError "no error reaches the caller"

' --- A real MP3 -------------------------------------------------------------------

Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerA")
player.MP3File = "  " & mp3 & " "
Check "the position moves after MP3Play", StartPlaybackA(player)
CheckEqual "TheFile is the trimmed path in quotes", player.TheFile, """" & mp3 & """"
CheckValue "MP3Playing while it plays", player.MP3Playing(), "Boolean", True

Dim first : first = player.MP3PositionInMS()
Wait 0.6
Dim later : later = player.MP3PositionInMS()
CheckValue "MP3PositionInMS", later, "Double", Empty
Check "MP3PositionInMS advances while playing (" & first & " then " & later & ")", later >= first + 300
Dim seconds : seconds = player.MP3PositionInSec()
CheckValue "MP3PositionInSec near the start", seconds, "String", Empty
Check "it reads 00 to 03 (" & seconds & ")", seconds = "00" Or seconds = "01" Or seconds = "02" Or seconds = "03"
Dim clock : clock = player.MP3Position()
CheckValue "MP3Position", clock, "String", Empty
Check "it reads 0:00 to 0:03 (" & clock & ")", clock = "0:00" Or clock = "0:01" Or clock = "0:02" Or clock = "0:03"

player.MP3Pause
CheckEqual "MP3Playing is False after MP3Pause", player.MP3Playing(), False
WScript.Echo "NOTE after MP3Pause the position reads " & player.MP3PositionInMS() & " ms"
player.MP3Resume
CheckEqual "MP3Playing after MP3Resume", player.MP3Playing(), True
first = player.MP3PositionInMS()
Wait 0.5
later = player.MP3PositionInMS()
Check "it plays on (" & first & " then " & later & ")", later > first

' A "play ... from" while playing can stall Wine's output for the rest of
' the process, so it comes last of the checks that need the sound moving.
second = 2
player.MP3ChangePositionTo second
CheckValue "the variable after moving to 2 s", second, "Integer", 2000
Dim moved : moved = player.MP3PositionInMS()
Check "a playing file jumps to 2000 ms (" & moved & ")", moved >= 1950 And moved < 3000
CheckEqual "and plays on", player.MP3Playing(), True

Dim lengthRead : lengthRead = player.MP3DurationInMs()
CheckValue "MP3DurationInMs", lengthRead, "Double", Empty
Check "it is within 100 ms of the file's length (" & lengthRead & " vs " & lengthMs & ")", _
    Abs(lengthRead - lengthMs) <= 100
CheckValue "MP3DurationInSec", player.MP3DurationInSec(), "Double", CDbl(lengthMs \ 1000)
CheckValue "MP3Duration", player.MP3Duration(), "String", "00:0" & (lengthMs \ 1000)

player.MP3Stop
CheckEqual "MP3Playing is False after MP3Stop", player.MP3Playing(), False
' A file that does not play only seeks: it must not start playing.
second = 1
player.MP3ChangePositionTo second
CheckValue "the variable after moving a stopped file", second, "Integer", 1000
CheckEqual "a stopped file stays stopped", player.MP3Playing(), False
player.MP3Stop
CheckNoError "no error reaches the caller"

' --- Beyond 9 seconds MP3PositionInSec is a number ------------------------------

Dim longer : Set longer = CreateObject("Orvalis.clsVxAudoMP3PlayerA")
longer.MP3File = EnvironmentValue("ORVALIS_LONG_MP3")
Check "the 12 s file plays", StartPlaybackA(longer)
second = 10
longer.MP3ChangePositionTo second
seconds = longer.MP3PositionInSec()
CheckValue "MP3PositionInSec at 10 s", seconds, "Double", Empty
Check "it reads 10 or 11 (" & seconds & ")", seconds = 10 Or seconds = 11
clock = longer.MP3Position()
Check "MP3Position reads 0:10 or 0:11 (" & clock & ")", clock = "0:10" Or clock = "0:11"
longer.MP3Stop
CheckNoError "no error reaches the caller"

Verdict
