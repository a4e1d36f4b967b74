@echo off
rem The same through start /wait, the other usual way to wait for a GUI program.
start "" /wait "%TOLVANE_EXE%"
echo errorlevel=%ERRORLEVEL%
if errorlevel 11 (echo if-errorlevel-11=taken) else (echo if-errorlevel-11=skipped)
if errorlevel 12 (echo if-errorlevel-12=taken) else (echo if-errorlevel-12=skipped)
exit /b %ERRORLEVEL%
