' The first lines of an Orvalis host in VBScript: which library answers,
' and a player object. Register orvalis.dll first (regsvr32 orvalis.dll),
' then run: cscript //nologo hello.vbs
Option Explicit

Dim info : Set info = CreateObject("Orvalis.clsVxOrvalisA")
Dim app : Set app = info.GetProStdProperties
WScript.Echo app.ProductName & " " & app.Major & "." & app.Minor & "." & app.Revision & _
    " - " & app.FileDescription

Dim player : Set player = CreateObject("Orvalis.clsVxAudoMP3PlayerB")
WScript.Echo "A player, playing: " & player.isPlaying()
' player.Filename = "C:\Music\song.mp3" : player.Play  - see demo.vbs
