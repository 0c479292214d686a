' MP3 player B's playlists and list utilities against a list object written
' in VBScript, the way a form's list box looks to the library.

Class HostList
    Private mItems
    Public ListIndex
    Public hWnd

    Private Sub Class_Initialize()
        Set mItems = CreateObject("Scripting.Dictionary")
        ListIndex = -1
        hWnd = 0
    End Sub

    Public Property Get ListCount()
        ListCount = mItems.Count
    End Property

    Public Property Get List(index)
        List = mItems(CLng(index))
    End Property

    Public Sub AddItem(item)
        mItems.Add mItems.Count, item
    End Sub

    Public Property Get text()
        Dim selected : selected = CLng(ListIndex)
        If selected >= 0 And selected < mItems.Count Then text = mItems(selected) Else text = ""
    End Property

    Public Function Joined()
        Joined = JoinedItems(mItems)
    End Function
End Class

Dim folder : folder = TemporaryFolder("orvalis-playlists")
Dim playlist : playlist = folder & "\mix.m3u"
DeleteIfPresent playlist

' Variables go to the typed by-reference parameters as they are, as a
' compiled host passes them; in parentheses (as values) they work as well.
Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
Dim paths : Set paths = New HostList
paths.AddItem "C:\Music\Artist - Song.mp3"
paths.AddItem "D:\a.b.mp3"
paths.AddItem "C:\Music\readme"
paths.AddItem "  C:/music/x.mp3"

On Error Resume Next
player.SavePlaylist playlist, paths
CheckNoError "SavePlaylist"
CheckEqual "the variables are as they were", TypeName(playlist) & " " & IsObject(paths) & " " & paths.ListCount, "String True 4"
Dim bytes : bytes = fso.OpenTextFile(playlist).ReadAll
CheckEqual "the file holds each entry with CR LF", bytes, _
    "C:\Music\Artist - Song.mp3" & vbCrLf & "D:\a.b.mp3" & vbCrLf & "C:\Music\readme" & vbCrLf & "  C:/music/x.mp3" & vbCrLf

Dim loaded : Set loaded = New HostList
loaded.AddItem "kept"
player.OpenPlaylist playlist, loaded
CheckNoError "OpenPlaylist"
CheckEqual "OpenPlaylist appends the entries", loaded.Joined(), "kept|" & paths.Joined()

' Trailing blanks go, leading blanks and lone line feeds stay.
Dim handmade : Set handmade = fso.CreateTextFile(folder & "\hand.m3u", True)
handmade.Write "a.mp3   " & vbCrLf & "  b.mp3" & vbCr & "c" & vbLf & "d" & vbCrLf & vbCrLf
handmade.Close
Dim fromHand : Set fromHand = New HostList
player.OpenPlaylist folder & "\hand.m3u", (fromHand)
CheckEqual "a hand-made file reads line by line", fromHand.Joined(), "a.mp3|  b.mp3|c" & vbLf & "d|"

Dim names : Set names = New HostList
player.ListNoChar names, paths
CheckNoError "ListNoChar"
CheckEqual "ListNoChar adds display names", names.Joined(), "Artist - Song|a.b||  C:/music/x"

' A failed save keeps the playlist the file held before.
Dim broken : Set broken = New HostList
broken.AddItem "new.mp3"
broken.AddItem Null
Dim before : before = MessageBoxLog()
player.SavePlaylist (playlist), (broken)
CheckNoError "a failing SavePlaylist returns normally"
Check "the failing save shows Invalid use of Null", SawMessageBox(before, " Error", "Invalid use of Null")
CheckEqual "the previous playlist is intact", fso.OpenTextFile(playlist).ReadAll, bytes
Check "no temporary file is left beside it", fso.GetFolder(folder).Files.Count = 2

' A missing playlist shows the runtime's message and leaves the list.
Dim untouched : Set untouched = New HostList
before = MessageBoxLog()
player.OpenPlaylist folder & "\missing.m3u", (untouched)
CheckNoError "OpenPlaylist of a missing file returns normally"
Check "the missing file's box is shown", SawMessageBox(before, " Error", "File not found")
CheckEqual "the list is unchanged", untouched.ListCount, 0

' ListSingleNoChar selects the last path, adds its name and shows the path.
Dim single : Set single = New HostList
before = MessageBoxLog()
player.ListSingleNoChar single, paths
CheckNoError "ListSingleNoChar"
CheckEqual "the last entry is selected", paths.ListIndex, "3"
CheckEqual "its display name is added", single.Joined(), "  C:/music/x"
Check "its text is shown in a box with the library's title", SawMessageBox(before, "Orvalis", "  C:/music/x.mp3")

' Save of an empty list gives an empty file; no name at all fails visibly.
player.SavePlaylist folder & "\empty.m3u", New HostList
CheckEqual "an empty list saves as an empty file", fso.GetFile(folder & "\empty.m3u").Size, 0
before = MessageBoxLog()
player.SavePlaylist "", (paths)
Check "an empty file name shows the file error", SawMessageBox(before, " Error", "Path/File access error")

' A name with a NUL in it names no file: neither the part before the NUL
' nor anything else is read or replaced.
Dim nulList : Set nulList = New HostList
before = MessageBoxLog()
player.OpenPlaylist playlist & Chr(0) & ".bak", (nulList)
Check "opening a name with a NUL shows Bad file name or number", SawMessageBox(before, " Error", "Bad file name or number")
CheckEqual "and reads nothing", nulList.ListCount, 0
before = MessageBoxLog()
player.SavePlaylist playlist & Chr(0) & ".bak", (names)
Check "saving to a name with a NUL shows Bad file name or number", SawMessageBox(before, " Error", "Bad file name or number")
CheckEqual "and leaves the playlist before the NUL as it was", fso.OpenTextFile(playlist).ReadAll, bytes

' A folder that does not exist.
before = MessageBoxLog()
player.SavePlaylist folder & "\none\mix.m3u", (paths)
Check "saving into a missing folder shows Path not found", SawMessageBox(before, " Error", "Path not found")
before = MessageBoxLog()
player.OpenPlaylist folder & "\none\mix.m3u", (untouched)
Check "opening from a missing folder shows Path not found", SawMessageBox(before, " Error", "Path not found")

' A drive-relative name saves into that drive's current folder (its root,
' as this process never set one there) while the current folder is on
' another drive.
Dim currentDrive : currentDrive = UCase(Left(CreateObject("WScript.Shell").CurrentDirectory, 2))
Check "the current folder is on another drive than C:", currentDrive <> "C:"
Dim rooted : rooted = "C:\orvalis-e2e-relative.m3u"
DeleteIfPresent rooted
before = MessageBoxLog()
player.SavePlaylist "C:orvalis-e2e-relative.m3u", paths
CheckNoError "SavePlaylist to a drive-relative name"
Check "the drive-relative save shows no box", MessageBoxLog() = before
Check "the playlist lands in that drive's current folder", fso.FileExists(rooted)
DeleteIfPresent rooted

' A list class that raises an error of its own: Wine's script engine hands
' back the bare VB error (no description), so the box shows the runtime's
' description of error 5.
Class RefusingList
    Public Property Get ListCount()
        ListCount = 2
    End Property
    Public Property Get List(index)
        Err.Raise 5, "ListBox", "entry refused"
    End Property
End Class
WScript.Echo "NOTE script errors raised on purpose: 1"
before = MessageBoxLog()
player.SavePlaylist (playlist), New RefusingList
CheckNoError "a SavePlaylist whose list raises an error returns normally"
Check "the list's error 5 shows as Invalid procedure call or argument", _
    SawMessageBox(before, " Error", "Invalid procedure call or argument")
CheckEqual "the playlist stays as it was", fso.OpenTextFile(playlist).ReadAll, bytes

fso.DeleteFolder folder, True
Verdict
