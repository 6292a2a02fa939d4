@echo off
rem Opens the Windows "Sound" window on its Playback tab, where the
rem speakers' and the microphone's channels and sample rates are set
rem (Configure, Properties, Advanced). Telvane starts it when a format check
rem offers a fix. The classic control panel applet exists from Windows Vista
rem to Windows 11, and it is the window the instructions describe (the
rem sound page of the Settings app differs between versions). "start" returns
rem at once, so no console window stays open.
start "" control.exe mmsys.cpl,,0
exit /b 0
