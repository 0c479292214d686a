' The library information class from a script host: the application
' object, the library module's resources, the thread's shared object, and
' About through the framework component, also with the framework missing.

Dim shell : Set shell = CreateObject("WScript.Shell")
Dim info : Set info = CreateObject("Orvalis.clsVxOrvalisA")
Dim framework : framework = EnvironmentValue("ORVALIS_VXBRENNET_DLL")
Dim before, result

On Error Resume Next

' --- The application object ----------------------------------------------------
Dim app : Set app = info.GetProStdProperties
CheckNoError "GetProStdProperties"
CheckEqual "Major", app.Major, 1
CheckEqual "Minor", app.Minor, 0
CheckEqual "Revision", app.Revision, 101
CheckEqual "Major is an Integer", VarType(app.Major), vbInteger
CheckEqual "Title", app.Title, "Orvalis"
CheckEqual "EXEName", app.EXEName, "orvalis"
Check "Path is the library's folder, not the host's (" & app.Path & ")", _
    fso.FileExists(app.Path & "\orvalis.dll") And InStr(1, app.Path, "system32", vbTextCompare) = 0
CheckEqual "FileDescription", app.FileDescription, "Orvalis audio automation library"
CheckEqual "CompanyName", app.CompanyName, "Orvalis"
Check "Comments describe the library", Len(app.Comments) > 0
Check "hInstance is set", app.hInstance <> 0
Check "the same object on every read", info.GetProStdProperties Is app
CheckNoError "every member read"
app.Major = 2
CheckError "the application object is read-only", 438, ""

' --- Resources of the library module ---------------------------------------------
' Wine's VBScript can neither index nor measure a Byte array (the C++
' client reads the bytes); its text conversion keeps two bytes a character.
Function ByteCount(bytes)
    ByteCount = 2 * Len(CStr(bytes))
End Function

Dim bytes : bytes = info.GetProResData(1, "_IID_CLSVXAUDOMP3PLAYERB")
CheckNoError "GetProResData of a per-class resource"
CheckEqual "it is a Byte array", VarType(bytes), vbArray + vbByte
CheckEqual "of 20 bytes", ByteCount(bytes), 20
bytes = info.GetProResData(1, 16)
CheckNoError "GetProResData of the version resource (type 16)"
Check "the version resource has its bytes", ByteCount(bytes) > 100
bytes = info.GetProResData(1, "TYPELIB")
Check "the type library has its bytes", ByteCount(bytes) > 1000

result = info.GetProResData(2, "TYPELIB")
CheckError "no type library 2: resource-not-found", 326, "Resource with identifier '2' not found"
result = info.GetProResData(1, 6)
CheckError "no string table", 326, "Resource with identifier '1' not found"
result = info.GetProResStrings(1)
CheckError "GetProResStrings(1): resource-not-found", 326, "Resource with identifier '1' not found"
Set result = info.GetProResPicture(101, 0)
CheckError "GetProResPicture of a bitmap: resource-not-found", 326, "Resource with identifier '101' not found"
Set result = info.GetProResPicture(1, 40000)
CheckError "a picture kind beyond an Integer overflows", 6, "Overflow"

' --- BuddyObjectGlobal ----------------------------------------------------------
Dim other : Set other = CreateObject("Orvalis.clsVxOrvalisA")
Dim dict : Set dict = CreateObject("Scripting.Dictionary")
dict.Add "key", "value"
Check "the slot starts empty", info.BuddyObjectGlobal Is Nothing
Set info.BuddyObjectGlobal = dict
CheckNoError "Set BuddyObjectGlobal"
Check "another object on the thread sees the same object", other.BuddyObjectGlobal Is dict
CheckEqual "and reaches it", other.BuddyObjectGlobal.Item("key"), "value"
Set other.BuddyObjectGlobal = Nothing
Check "set to Nothing empties the slot", info.BuddyObjectGlobal Is Nothing
CheckNoError "the slot's reads and writes"
info.BuddyObjectGlobal = 5
Check "a value assignment fails", Err.Number <> 0
Err.Clear

' --- About ---------------------------------------------------------------------
' About's result, or the error it raised as a text, so that an error shows
' in the check instead of skipping it.
Function AboutResult()
    On Error Resume Next
    AboutResult = info.About()
    If Err.Number <> 0 Then AboutResult = "error " & Err.Number & " " & Err.Description
End Function

before = MessageBoxLog()
CheckEqual "About returns 0", AboutResult(), 0
Check "the About box shows title, version and description", _
    SawMessageBox(before, "About Orvalis", "Orvalis\nVersion 1.0.101\nOrvalis audio automation library")

Dim location : location = "\nLocation: basVxelCommonA.AppAboutVxel_Pro"
' The About class missing, the error handler present: both failing steps
' are reported and About goes on.
CheckEqual "remove the About class's ProgID", _
    shell.Run("reg delete HKCR\VxBrennet.clsVxBrennetA /f", 0, True), 0
before = MessageBoxLog()
CheckEqual "About returns 0 when the About box cannot be created", AboutResult(), 0
Check "the failed creation is reported", _
    SawMessageBox(before, "Orvalis", "Error 429: ActiveX component can't create object" & location)
Check "the call without an object is reported", _
    SawMessageBox(before, "Orvalis", "Error 91: Object variable or With block variable not set" & location)

' A framework whose report takes Variants by reference (as one written in
' a script language declares it) gets the report as well.
CheckEqual "the error handler's ProgID names the Variant-typed class", shell.Run( _
    "reg add HKCR\VxBrennet.clsVxelErrorHandlerA\CLSID /ve /d {A3E6F1D4-8B27-4C95-B0E2-6D9F3A7C1E48} /f", _
    0, True), 0
before = MessageBoxLog()
CheckEqual "About returns 0 with the Variant-typed report", AboutResult(), 0
Check "the Variant-typed report shows the failed creation", _
    SawMessageBox(before, "Orvalis", "Error 429: ActiveX component can't create object" & location)

' The whole framework unregistered: the report itself fails and the error
' reaches the caller.
CheckEqual "regsvr32 /u vxbrennet.dll", shell.Run("regsvr32 /u /s """ & framework & """", 0, True), 0
before = MessageBoxLog()
result = info.About()
CheckError "without the framework About raises the creation error", 429, "ActiveX component can't create object"
CheckEqual "and shows no box", Mid(MessageBoxLog(), Len(before) + 1), ""

CheckEqual "regsvr32 vxbrennet.dll", shell.Run("regsvr32 /s """ & framework & """", 0, True), 0
before = MessageBoxLog()
CheckEqual "About after registering the framework again", AboutResult(), 0
Check "shows the About box again", SawMessageBox(before, "About Orvalis", "Orvalis\nVersion 1.0.101")
Verdict
