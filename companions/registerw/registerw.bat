@echo off
rem Registers the DirectShow filters shipped beside this file, silently.
rem The recorder starts it from its own folder (elevated where registration
rem needs it); every path is taken from this file's own folder, so it works
rem from any current folder. A filter file that is not there is skipped;
rem the exit code is 1 when a filter that is there failed to register.
setlocal
set failed=0

rem Audio capture source filter.
if exist "%~dp0sonark5.ax" (
    regsvr32 /s "%~dp0sonark5.ax"
    if errorlevel 1 set failed=1
)

rem Screen-capture source filter.
if exist "%~dp0pixark.ax" (
    regsvr32 /s "%~dp0pixark.ax"
    if errorlevel 1 set failed=1
)

exit /b %failed%
