' MP3 player B, late-bound from VBScript: every class is creatable, and a
' real MP3 plays, pauses, resumes and stops through the MCI service.

Dim classNames, className, created
classNames = Array("clsVxOrvalisA", "clsVxAudoWMixerA", "clsVxAudoGeneralA", "clsVxAudoAdvancedA", _
    "clsVxAudoMP3PlayerA", "clsVxAudoMP3PlayerB", "clsVxAudoMCISoundRecA", "clsVxAudoWaveFileA", _
    "clsVxAudoWMixerB", "clsVxAudoCDRomA", "clsVxAudoCDPlayerA", "clsVxAudoCDPlayerB")
On Error Resume Next
For Each className In classNames
    Set created = Nothing
    Set created = CreateObject("Orvalis." & className)
    CheckNoError "creates Orvalis." & className
    Check "Orvalis." & className & " is an object", IsObject(created)
Next

' The empty classes have no members at all.
Dim general : Set general = CreateObject("Orvalis.clsVxAudoGeneralA")
general.Anything
CheckError "empty class has no members", 438, ""

Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
CheckEqual "Filename starts empty", player.Filename, ""
player.Filename = 12.5
CheckEqual "a number stored in Filename becomes its text", player.Filename, "12.5"
Check "isPlaying is false on a fresh object", Not player.isPlaying()

Dim mp3 : mp3 = EnvironmentValue("ORVALIS_TEST_MP3")
Check "the test MP3 exists", fso.FileExists(mp3)

player.Filename = "  " & mp3 & " "
player.Play
CheckNoError "Play"
CheckEqual "Play stores the quoted, trimmed name", player.Filename, """" & mp3 & """"
Check "isPlaying is true while it plays", player.isPlaying()
CheckEqual "isPlaying returns a Boolean", TypeName(player.isPlaying()), "Boolean"

Dim started : started = Timer
player.TimeOut 1.5
CheckNoError "TimeOut 1.5"
Check "TimeOut 1.5 waits at least 1.5 s", Timer - started >= 1.5
Check "TimeOut 1.5 waits less than 2.5 s", Timer - started < 2.5

Check "the position has moved on (" & player.PositioninMS() & " ms)", player.PositioninMS() > 1000
player.Pause
Check "isPlaying stays true after Pause", player.isPlaying()
player.ResumePlay
Check "isPlaying is true after ResumePlay", player.isPlaying()
player.StopPlay
CheckNoError "StopPlay"
' The service opens a file named in a command on its own for that command,
' so after the close a query meets a fresh device at its start.
Check "StopPlay closed the device: a query finds it back at 0 (" & player.PositioninMS() & ")", _
    player.PositioninMS() < 500

started = Timer
player.TimeOut 0
Check "TimeOut 0 returns at once", Timer - started < 0.2

player.TimeOut "soon"
CheckError "TimeOut of a text that is no number fails to the caller", 13, "Type mismatch"

Dim missing : Set missing = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
missing.Filename = "C:\no such folder\none.mp3"
missing.Play
CheckNoError "Play of a missing file returns normally"
Check "isPlaying is false when the open failed", Not missing.isPlaying()

Verdict
