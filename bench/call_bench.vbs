' Late-bound calls from VBScript that never reach the MCI service, against
' Scripting.Dictionary's Count in the same run: batches of calls timed with
' Timer, the contenders alternating from round to round. Timer moves in
' steps of about 16 ms, so the ratios are those of the contenders' total
' times over all rounds, where the steps even out.
'
'   cscript //nologo call_bench.vbs [BATCH]
Option Explicit

' Wine's VBScript stops on ReDim, so the arrays below have a fixed size.
Const rounds = 21
Dim batch : batch = 1000
If WScript.Arguments.Count > 0 Then batch = CLng(WScript.Arguments(0))

Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
player.Filename = "C:\Music\Artist - Song.mp3"
Dim mixer : Set mixer = CreateObject("Orvalis.clsVxAudoWMixerA")
Dim dict : Set dict = CreateObject("Scripting.Dictionary")

' Seconds for a batch; the loop's own time is left in, as it is the same
' for every contender.
Function TimeCount()
    Dim i, x, t : t = Timer
    For i = 1 To batch : x = dict.Count : Next
    TimeCount = Timer - t
End Function

Function TimeFilename()
    Dim i, x, t : t = Timer
    For i = 1 To batch : x = player.Filename : Next
    TimeFilename = Timer - t
End Function

Function TimeNumSamples()
    Dim i, x, t : t = Timer
    For i = 1 To batch : x = mixer.NumSamples : Next
    TimeNumSamples = Timer - t
End Function

Dim count, filename, samples, r
count = 0 : filename = 0 : samples = 0
TimeCount : TimeFilename : TimeNumSamples
For r = 1 To rounds
    If r Mod 2 = 0 Then
        count = count + TimeCount : filename = filename + TimeFilename : samples = samples + TimeNumSamples
    Else
        samples = samples + TimeNumSamples : filename = filename + TimeFilename : count = count + TimeCount
    End If
Next

Dim calls : calls = rounds * batch
WScript.Echo "VBScript late-bound gets, " & rounds & " rounds of " & batch & " calls each"
WScript.Echo "  Dictionary.Count:            " & FormatNumber(count / calls * 1e6, 2) & " us per call"
WScript.Echo "  player B Filename:           " & FormatNumber(filename / calls * 1e6, 2) & " us per call"
WScript.Echo "  clsVxAudoWMixerA NumSamples: " & FormatNumber(samples / calls * 1e6, 2) & " us per call"
WScript.Echo "RATIO VBScript Filename / Dictionary.Count: " & FormatNumber(filename / count, 3) & " (target <= 1.00)"
WScript.Echo "RATIO VBScript NumSamples / Dictionary.Count: " & FormatNumber(samples / count, 3) & " (target <= 1.00)"
