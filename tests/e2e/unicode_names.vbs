' MP3 files named in Greek and Japanese, late-bound from VBScript: both
' players take the names from the host's strings unchanged, play them
' through the MCI service and report position and duration. (The names
' come from the environment: a script file itself is read as ANSI, and
' Wine's VBScript has neither AscW nor ChrW to look at the characters;
' client_unicode_names checks them.)

Dim b : Set b = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
Dim a : Set a = CreateObject("Orvalis.clsVxAudoMP3PlayerA")
Dim variable, mp3, lengthMs, first
On Error Resume Next
For Each variable In Array("ORVALIS_GREEK_MP3", "ORVALIS_JAPANESE_MP3")
    mp3 = EnvironmentValue(variable)
    lengthMs = CLng(EnvironmentValue(variable & "_MS"))

    b.Filename = mp3
    Check "player B plays " & variable, StartPlayback(b)
    CheckEqual "player B's Filename", b.Filename, """" & mp3 & """"
    Check "player B's duration of " & variable & " (" & b.DurationInMS() & ")", Abs(b.DurationInMS() - lengthMs) <= 100
    b.StopPlay

    a.MP3File = mp3
    a.MP3Play
    first = 0
    Dim poll
    For poll = 1 To 12
        b.TimeOut 0.25
        first = a.MP3PositionInMS()
        If first > 0 Then Exit For
    Next
    Check "player A plays " & variable & " (" & first & " ms)", first > 0
    Check "player A's duration of " & variable & " (" & a.MP3DurationInMs() & ")", Abs(a.MP3DurationInMs() - lengthMs) <= 100
    a.MP3Stop
    CheckNoError variable
Next
Verdict
