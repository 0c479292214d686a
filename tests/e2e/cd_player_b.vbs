' CD player B, late-bound. Drive D: is a CD-ROM drive backed by an empty
' folder: Wine opens its CD audio device, which stays "not ready". The suite
' calls every member with no device open, then the drive check, the
' stop-icon box for a fixed drive, the open and the refused second open,
' and the readings of the device that is open but not ready.

Function BeforeNul(text)
    Dim at : at = InStr(text, Chr(0))
    If at > 0 Then BeforeNul = Left(text, at - 1) Else BeforeNul = text
End Function

Dim cdrom : cdrom = EnvironmentValue("ORVALIS_CDROM_DRIVE")
Dim player : Set player = CreateObject("Orvalis.clsVxAudoCDPlayerB")
On Error Resume Next

' The text for return code 0, as the service gives it (Wine has none: the
' 255 blanks stay).
Dim success : success = player.checkError()
CheckEqual "checkError gives 255 characters", Len(success), 255

' Checks that the member just called was refused by the service.
Sub CheckRefused(name)
    Dim text : text = player.checkError()
    Check name & " is refused: " & Trim(BeforeNul(text)), text <> success
End Sub

' --- No device open ---------------------------------------------------------
player.checkForCD
CheckError "checkForCD of the empty reply is a type mismatch", 13, "Type mismatch"
CheckRefused "status cd media present"
CheckEqual "getNumberTracks is 0", player.getNumberTracks(), 0
CheckNoError "getNumberTracks swallows the conversion error"
CheckEqual "getCurrentTrack is 0", player.getCurrentTrack(), 0
CheckEqual "getPositionMS is 0", player.getPositionMS(), 0
CheckEqual "getPositionSeconds is 0", player.getPositionSeconds(), 0
CheckEqual "getPositionFrames is 0", player.getPositionFrames(), 0
CheckEqual "cdLengthMS is 0", player.cdLengthMS(), 0
CheckEqual "cdLengthSeconds is 0", player.cdLengthSeconds(), 0
CheckEqual "trackLengthMS 1 is 0", player.trackLengthMS(1), 0
CheckEqual "trackLengthSeconds 1 is 0", player.trackLengthSeconds(1), 0
Check "isPlaying is False", player.isPlaying() = False
Dim texts, text
texts = Array(player.getPositionMSF(), player.getPositionTMSF(), player.getTimeFormat(), _
    player.cdLengthMSF(), player.trackLengthMSF(1))
For Each text In texts
    CheckEqual "a text query gives the whole 128-character reply field", Len(text), 128
    CheckEqual "... with nothing before its NUL", BeforeNul(text), ""
Next
CheckNoError "the queries raise nothing else"
CheckRefused "status cd length track 1"

player.playCD : CheckRefused "playCD"
player.pauseCD : CheckRefused "pauseCD"
player.resumeCD : CheckRefused "resumeCD"
player.stopCD : CheckRefused "stopCD"
player.seekToBeginning : CheckRefused "seekToBeginning"
player.seekToEnd : CheckRefused "seekToEnd"
player.setDoorOpen : CheckRefused "setDoorOpen"
player.setDoorClosed : CheckRefused "setDoorClosed"
player.setAudioOff : CheckRefused "setAudioOff"
player.setAudioOn : CheckRefused "setAudioOn"
player.setTrack 3 : CheckRefused "setTrack 3"
player.nextTrack : CheckRefused "nextTrack"
player.prevTrack : CheckRefused "prevTrack"
player.fastForward 5 : CheckRefused "fastForward 5"
player.fastRewind 5 : CheckRefused "fastRewind 5"
CheckNoError "every command returns normally"
player.fastForward 2147484
CheckError "fastForward of more than 2147483 seconds overflows", 6, "Overflow"
CheckEqual "playCD returns Empty", TypeName(player.playCD()), "Empty"
player.closeAll
CheckEqual "closeAll succeeds with nothing open", player.checkError(), success

' --- The drive check and opening ---------------------------------------------
Check "checkCDDrive is true for the CD-ROM drive " & cdrom, player.checkCDDrive((cdrom))
Check "checkCDDrive is false for the fixed drive C:\", Not player.checkCDDrive("C:\")
CheckEqual "checkCDDrive returns a Boolean", TypeName(player.checkCDDrive("C:\")), "Boolean"

player.stopCD
Dim lastRefusal : lastRefusal = player.checkError()
Dim before : before = MessageBoxLog()
player.startCD "C:\"
CheckNoError "startCD on a fixed drive returns normally"
Check "startCD on a fixed drive shows the box titled "" Error""", _
    SawMessageBox(before, " Error", "The selected drive is not a CdRom Drive")
CheckEqual "startCD on a fixed drive sends nothing", player.checkError(), lastRefusal

player.startCD (cdrom)
CheckEqual "startCD opens the CD-ROM drive's device", player.checkError(), success
before = MessageBoxLog()
player.startCD (cdrom)
CheckRefused "a second open under the alias in use"
CheckEqual "the refused open shows no box", MessageBoxLog(), before

' --- The device open, not ready ------------------------------------------------
Check "checkForCD reads Wine's ""true""", player.checkForCD()
CheckNoError "checkForCD"
Check "isPlaying is False for ""not ready""", Not player.isPlaying()
CheckEqual "getTimeFormat keeps the tail of the longer mode reply behind its NUL", _
    Left(player.getTimeFormat(), 10), "msf" & Chr(0) & "ready" & Chr(0)
CheckEqual "getNumberTracks is 0", player.getNumberTracks(), 0
CheckRefused "status cd number of tracks"
CheckEqual "getPositionMS is 0", player.getPositionMS(), 0
player.playCD : CheckRefused "play cd"
CheckNoError "the device's refusals raise nothing"

player.closeAll
CheckEqual "closeAll", player.checkError(), success
player.checkForCD
CheckError "after closeAll no device answers", 13, "Type mismatch"

Verdict
