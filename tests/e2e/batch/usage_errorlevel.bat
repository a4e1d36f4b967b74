@echo off
rem Calls Tolvane.exe the way a user's script does: a plain call, no switches.
rem TOLVANE_EXE holds its path. Nothing but echo and if may stand between the
rem call and the tests: Wine's cmd resets ERRORLEVEL on set, even in a .bat file.
"%TOLVANE_EXE%"
echo errorlevel=%ERRORLEVEL%
if errorlevel 11 (echo if-errorlevel-11=taken) else (echo if-errorlevel-11=skipped)
if errorlevel 12 (echo if-errorlevel-12=taken) else (echo if-errorlevel-12=skipped)
exit /b %ERRORLEVEL%
