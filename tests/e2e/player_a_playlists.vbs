' MP3 player A's playlists and list utilities against a list object written
' in VBScript. The playlist members skip what fails and report nothing; the
' list utilities pass their errors to the caller. No message box anywhere.

Class HostList
    Private mItems
    Public IndexTypes  ' TypeName of each index List received

    Private Sub Class_Initialize()
        Set mItems = CreateObject("Scripting.Dictionary")
        IndexTypes = ""
    End Sub

    Public Property Get ListCount()
        ListCount = mItems.Count
    End Property

    Public Property Get List(index)
        IndexTypes = IndexTypes & TypeName(index) & " "
        List = mItems(CLng(index))
    End Property

    Public Sub AddItem(item)
        mItems.Add mItems.Count, item
    End Sub

    Public Function Joined()
        Joined = JoinedItems(mItems)
    End Function
End Class

Dim folder : folder = TemporaryFolder("orvalis-playlists-a")
Dim playlist : playlist = folder & "\mix.m3u"
DeleteIfPresent playlist

Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerA")
Dim paths : Set paths = New HostList
paths.AddItem "C:\Music\Artist - Song.mp3"
paths.AddItem "D:\readme"
paths.AddItem "  C:/music/x.mp3"

' The playlist path is a String by reference and the list a Variant:
' variables go as they are.
On Error Resume Next
Dim result : result = player.MP3SavePlayList(playlist, paths)
CheckNoError "MP3SavePlayList"
CheckEqual "MP3SavePlayList returns Empty", TypeName(result), "Empty"
Dim bytes : bytes = fso.OpenTextFile(playlist).ReadAll
CheckEqual "the file holds each entry with CR LF", bytes, _
    "C:\Music\Artist - Song.mp3" & vbCrLf & "D:\readme" & vbCrLf & "  C:/music/x.mp3" & vbCrLf
CheckEqual "List got Integer indexes", paths.IndexTypes, "Integer Integer Integer "

Dim loaded : Set loaded = New HostList
loaded.AddItem "kept"
result = player.MP3OpenPlayList((playlist), loaded)
CheckNoError "MP3OpenPlayList"
CheckEqual "MP3OpenPlayList returns Empty", TypeName(result), "Empty"
CheckEqual "MP3OpenPlayList appends the entries", loaded.Joined(), "kept|" & paths.Joined()
CheckEqual "the device name is untouched", player.TheFile, ""

' Trailing blanks go; leading blanks and lone line feeds stay.
Dim handmade : Set handmade = fso.CreateTextFile(folder & "\hand.m3u", True)
handmade.Write "a.mp3   " & vbCrLf & "  b.mp3" & vbCr & "c" & vbLf & "d"
handmade.Close
Dim fromHand : Set fromHand = New HostList
player.MP3OpenPlayList folder & "\hand.m3u", fromHand
CheckEqual "a hand-made file reads line by line", fromHand.Joined(), "a.mp3|  b.mp3|c" & vbLf & "d"

' What cannot be done is skipped without a word.
Dim before : before = MessageBoxLog()
Dim untouched : Set untouched = New HostList
result = player.MP3OpenPlayList(folder & "\missing.m3u", untouched)
CheckNoError "a missing playlist returns normally"
CheckEqual "and adds nothing", untouched.ListCount, 0
Dim broken : Set broken = New HostList
broken.AddItem "new.mp3"
broken.AddItem Null
broken.AddItem "last.mp3"
player.MP3SavePlayList (playlist), broken
CheckNoError "a save with an entry that is no text returns normally"
CheckEqual "the Null entry is left out and the others are saved", fso.OpenTextFile(playlist).ReadAll, _
    "new.mp3" & vbCrLf & "last.mp3" & vbCrLf
Check "no temporary file is left beside it", fso.GetFolder(folder).Files.Count = 2
player.MP3SavePlayList (playlist), paths
CheckEqual "a save of the good list puts it back", fso.OpenTextFile(playlist).ReadAll, bytes
player.MP3SavePlayList "", paths
CheckNoError "a save without a file name returns normally"
Check "no message box was shown", MessageBoxLog() = before

CheckEqual "GetLastBackSlash", player.GetLastBackSlash("C:\Music\song.mp3"), "song.mp3"
CheckEqual "GetLastBackSlash of a folder", player.GetLastBackSlash("C:\Music\"), ""

Dim titles : Set titles = New HostList
paths.IndexTypes = ""
player.ListNoChar (titles), (paths)
CheckNoError "ListNoChar"
CheckEqual "ListNoChar adds the titles", titles.Joined(), "Artist - Song||  C:/music/x"
CheckEqual "with the loop counter's subtype as index", paths.IndexTypes, "Long Long Long "

' The list utilities hand errors to the caller.
Dim noList : Set noList = CreateObject("Scripting.Dictionary")
player.ListNoChar (noList), (paths)
CheckError "ListNoChar into an object without AddItem fails to the caller", 438, ""

fso.DeleteFolder folder, True
Verdict
