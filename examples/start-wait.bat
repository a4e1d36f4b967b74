@echo off
rem START /WAIT runs Tolvane and waits for its answer, as a batch file does
rem anyway; the same line also works at an interactive prompt, where a
rem plain call returns at once. The first quoted argument of START is a
rem window title, hence the empty "".
rem Tolvane.exe is looked for next to this file, then on the PATH.
setlocal
set "TOLVANE=%~dp0Tolvane.exe"
if not exist "%TOLVANE%" set "TOLVANE=Tolvane.exe"

start "" /wait "%TOLVANE%" /Title Installazione /Text "Installare anche gli esempi?" /Option Si /Option No
rem A code below 0 is a failure that Windows reported, not a cancel.
if %ERRORLEVEL% LSS 0 goto errore
if errorlevel 11 goto errore
if errorlevel 2 goto no
if errorlevel 1 goto si
echo Installazione annullata.
goto fine

:si
echo Installazione con gli esempi.
goto fine

:no
echo Installazione senza gli esempi.
goto fine

:errore
echo Installazione annullata: Tolvane non ha chiesto nulla (codice %ERRORLEVEL%).

:fine
endlocal
