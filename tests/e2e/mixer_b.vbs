' Mixer B, late-bound from VBScript, on Wine's PulseAudio mixer devices:
' device 0 has a speakers line with a volume (0 to 65535) and a mute
' switch, and no microphone line.

Const SPEAKER = 0, MICROPHONE = 2, SPEAKER_MUTE = 7

Dim mixer : Set mixer = CreateObject("Orvalis.clsVxAudoWMixerB")
On Error Resume Next

CheckEqual "OpenMixer(-1) opens nothing", mixer.OpenMixer(-1), 0
CheckEqual "OpenMixer(0) opens the first device", mixer.OpenMixer(0), -1
CheckNoError "OpenMixer raises nothing"

' Percentages on a 0 to 65535 control: written as value x 655, read back
' divided by 65535 and rounded.
CheckEqual "SetVolume(SPEAKER, 50) is accepted", mixer.SetVolume(SPEAKER, 50), -1
CheckEqual "GetVolume(SPEAKER) reads 50 back", mixer.GetVolume(SPEAKER), 50
CheckEqual "GetVolume returns a Long", TypeName(mixer.GetVolume(SPEAKER)), "Long"

' A second object with a handle of its own on the same device sees the
' same value, both ways: Wine keeps one value per device, not per handle.
Dim other : Set other = CreateObject("Orvalis.clsVxAudoWMixerB")
CheckEqual "a second object opens device 0 too", other.OpenMixer(0), -1
CheckEqual "the second object reads the 50 the first set", other.GetVolume(SPEAKER), 50
CheckEqual "the second object sets 30", other.SetVolume(SPEAKER, 30), -1
CheckEqual "the first object reads the 30 back", mixer.GetVolume(SPEAKER), 30
Set other = Nothing
CheckNoError "releasing an object with its device still open"
CheckEqual "the first object's handle still works after the other's release", mixer.GetVolume(SPEAKER), 30

mixer.SetVolume SPEAKER, 100
CheckEqual "100 (written as 65500) reads back as 100", mixer.GetVolume(SPEAKER), 100
mixer.SetVolume SPEAKER, 150
CheckEqual "150 is clamped to 65535 and reads back as 100", mixer.GetVolume(SPEAKER), 100
mixer.SetVolume SPEAKER, -10
CheckEqual "-10 is clamped to 0", mixer.GetVolume(SPEAKER), 0

Dim result
result = mixer.SetVolume(SPEAKER, 3300000)
CheckError "3300000 x 655 overflows 32 bits", 6, "Overflow"

CheckEqual "SetMute(SPEAKER_MUTE, True) is accepted", mixer.SetMute(SPEAKER_MUTE, True), True
CheckEqual "GetMute(SPEAKER_MUTE) reads True", mixer.GetMute(SPEAKER_MUTE), True
CheckEqual "GetMute returns a Boolean", TypeName(mixer.GetMute(SPEAKER_MUTE)), "Boolean"
CheckEqual "SetMute(SPEAKER_MUTE, False) is accepted", mixer.SetMute(SPEAKER_MUTE, False), True
CheckEqual "GetMute(SPEAKER_MUTE) reads False", mixer.GetMute(SPEAKER_MUTE), False

' The device has no microphone line: its record stays empty. Control
' identifier 0 is, on Wine, the speakers' volume; an empty record must not
' reach it, and answers as a failed call: 0 and False.
mixer.SetVolume SPEAKER, 50
CheckEqual "SetVolume(MICROPHONE, 80) on the empty record fails", mixer.SetVolume(MICROPHONE, 80), 0
CheckEqual "and leaves the speakers at 50", mixer.GetVolume(SPEAKER), 50
CheckEqual "GetVolume(MICROPHONE) reads 0 from the empty record", mixer.GetVolume(MICROPHONE), 0
CheckNoError "GetVolume(MICROPHONE) raises nothing"
CheckEqual "an index past the fourteen controls addresses an empty record", mixer.GetVolume(20), 0
CheckEqual "SetMute on an empty record fails", mixer.SetMute(20, True), False
CheckEqual "the speakers are still at 50", mixer.GetVolume(SPEAKER), 50

' An object that never opened a device holds handle 0, which the platform
' takes for device 0: its calls must fail, not change the speakers.
Dim unopened : Set unopened = CreateObject("Orvalis.clsVxAudoWMixerB")
CheckEqual "a never-opened object's SetVolume(SPEAKER, 10) fails", unopened.SetVolume(SPEAKER, 10), 0
CheckEqual "and reads 0", unopened.GetVolume(SPEAKER), 0
CheckEqual "the speakers stay at 50", mixer.GetVolume(SPEAKER), 50
Set unopened = Nothing

result = mixer.GetVolume(21)
CheckError "index 21 is out of the table", 9, "Subscript out of range"
result = mixer.SetMute(-1, True)
CheckError "index -1 is out of the table", 9, "Subscript out of range"

CheckEqual "CloseMixer returns the platform's success code", mixer.CloseMixer(), 0

' After CloseMixer the records stay but no device is open: set and get
' fail without reaching device 0.
CheckEqual "SetVolume after CloseMixer fails", mixer.SetVolume(SPEAKER, 25), 0
CheckEqual "SetMute after CloseMixer fails", mixer.SetMute(SPEAKER_MUTE, True), False
CheckEqual "GetVolume after CloseMixer reads 0", mixer.GetVolume(SPEAKER), 0
Dim witness : Set witness = CreateObject("Orvalis.clsVxAudoWMixerB")
witness.OpenMixer 0
CheckEqual "another object reads the speakers still at 50", witness.GetVolume(SPEAKER), 50
CheckEqual "and not muted", witness.GetMute(SPEAKER_MUTE), False
witness.CloseMixer
Set witness = Nothing

' The devices are numbered from 0; the first number that does not open is
' the count.
Dim count
For count = 1 To 16
    If mixer.OpenMixer(count) = 0 Then Exit For
Next
Check "Wine offers several mixer devices (" & count & ")", count > 1 And count < 16
CheckEqual "OpenMixer(count) opens nothing", mixer.OpenMixer(count), 0
CheckEqual "OpenMixer(0) after another device replaces it", mixer.OpenMixer(0), -1
CheckEqual "and its table is device 0's", mixer.GetVolume(SPEAKER), 50
mixer.SetVolume SPEAKER, 100
CheckEqual "CloseMixer", mixer.CloseMixer(), 0
CheckNoError "no error anywhere else"

Verdict
