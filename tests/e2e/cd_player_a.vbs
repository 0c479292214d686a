' CD player A, late-bound: every member with no device open (return codes
' are discarded, readings of the empty reply are type mismatches), then the
' default CD audio device that ReadyDevice opens on Wine's CD-ROM drive D:,
' which is open but not ready.

Dim player : Set player = CreateObject("Orvalis.clsVxAudoCDPlayerA")
On Error Resume Next

' --- No device open ---------------------------------------------------------
player.StartPlay
player.PausePlay
player.StopPlay
player.setTrack 3
player.SeekCDtoX 2
player.EjectCD
player.CloseCD
player.SetFormat_tmsf
player.SetFormat_milliseconds
CheckNoError "every command returns normally: return codes are discarded"
CheckEqual "StartPlay returns Empty", TypeName(player.StartPlay()), "Empty"

Dim value
value = player.CheckCD()
CheckError "CheckCD of an empty reply is a type mismatch", 13, "Type mismatch"
value = player.GetNumTracks()
CheckError "GetNumTracks of an empty reply is a type mismatch", 13, "Type mismatch"
CheckEqual "GetCDLength gives the whole fresh buffer: 30 NULs", player.GetCDLength(), String(30, Chr(0))
CheckEqual "GetTrackLength 1 gives 30 NULs", player.GetTrackLength(1), String(30, Chr(0))
CheckEqual "CheckIfPlaying is 0", player.CheckIfPlaying(), 0
CheckEqual "CheckIfPlaying is an Integer", TypeName(player.CheckIfPlaying()), "Integer"
Dim track, minutes, seconds
track = 7 : minutes = 8 : seconds = 9
player.GetCDPosition (track), (minutes), (seconds)
CheckError "GetCDPosition of an empty reply is a type mismatch", 13, "Type mismatch"
player.fastForward 1000
CheckError "fastForward of an empty position reply is a type mismatch", 13, "Type mismatch"
player.ReWind 1000
CheckError "ReWind of an empty position reply is a type mismatch", 13, "Type mismatch"

' --- ReadyDevice: the default device, open but not ready ---------------------------
player.ReadyDevice
CheckNoError "ReadyDevice"
CheckEqual "CheckCD reads Wine's ""true"" as -1", player.CheckCD(), -1
CheckEqual "CheckIfPlaying is 0 for ""not ready""", player.CheckIfPlaying(), 0
value = player.GetNumTracks()
CheckError "GetNumTracks of a refused query is a type mismatch", 13, "Type mismatch"
player.SeekCDtoX 1
CheckNoError "SeekCDtoX on a device that is not ready returns normally"

player.UnloadAll
CheckNoError "UnloadAll"
value = player.CheckCD()
CheckError "after UnloadAll no device answers", 13, "Type mismatch"

Verdict
