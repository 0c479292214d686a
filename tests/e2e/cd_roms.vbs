' The CD-ROM drive list, late-bound: the drive that Wine reports as a CD-ROM
' drive is the collection's only item and its count, and the collection
' object works as the runtime's Collection does (Item as the default
' member, For Each, Add, Remove, errors 5 and 9).

Dim cdrom : cdrom = EnvironmentValue("ORVALIS_CDROM_DRIVE")
Dim roms : Set roms = CreateObject("Orvalis.clsVxAudoCDRomA")
On Error Resume Next

Dim count : count = "not read"
Dim drives : Set drives = roms.CDRomsCollection(count)
CheckNoError "CDRomsCollection"
CheckEqual "vCDRomDetect is the number of CD-ROM drives", count, 1
CheckEqual "vCDRomDetect is an Integer", TypeName(count), "Integer"
CheckEqual "Count", drives.Count, 1
CheckEqual "Item 1 is the drive's root", drives.Item(1), cdrom
CheckEqual "Item is the default member", drives(1), cdrom

Dim drive, seen : seen = ""
For Each drive In drives
    seen = seen & drive & ";"
Next
CheckNoError "For Each"
CheckEqual "For Each visits the items", seen, cdrom & ";"

drive = drives(2)
CheckError "an index past the end is error 9", 9, "Subscript out of range"
drive = drives(cdrom)
CheckError "the items have no keys: looking one up by text is error 5", 5, ""

drives.Add "X:\", "extra"
drives.Add CreateObject("Scripting.Dictionary"), "object", 1
CheckNoError "Add with a key, and before the first item"
CheckEqual "Count after two Adds", drives.Count, 3
CheckEqual "an item by its key, whatever the case", drives("EXTRA"), "X:\"
Check "an object item stays an object", IsObject(drives(1))
CheckEqual "... the one that was added", drives(1).Count, 0
drives.Add "Y:\", "extra"
CheckError "a key in use is refused", 457, ""
drives.Remove "object"
drives.Remove 1
CheckNoError "Remove by key and by position"
CheckEqual "the last item is left", drives(1), "X:\"

Dim again : Set again = roms.CDRomsCollection(count)
CheckEqual "each call returns a new collection", again.Count, 1
CheckEqual "an earlier collection keeps its items", drives(1), "X:\"

CheckEqual "Eject returns 0 with no device open", roms.Eject(), 0
CheckEqual "Load returns 0", roms.Load(), 0
Set roms = Nothing
CheckEqual "a collection outlives the object that made it", again(1), cdrom

Verdict
