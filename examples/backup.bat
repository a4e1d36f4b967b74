@echo off
rem Asks for the kind of backup and branches on the answer with an
rem IF ERRORLEVEL ladder. "IF ERRORLEVEL n" is true for an exit code of n or
rem more, so the ladder tests the highest code first.
rem Tolvane.exe is looked for next to this file, then on the PATH.
setlocal
set "TOLVANE=%~dp0Tolvane.exe"
if not exist "%TOLVANE%" set "TOLVANE=Tolvane.exe"

"%TOLVANE%" /Title Backup /Text "Scegli il tipo" /Option Completo /Option Incrementale /Default 2 /Timeout 10
rem A code below 0 is a failure that Windows reported, not a cancel.
if %ERRORLEVEL% LSS 0 goto errore
if errorlevel 11 goto errore
if errorlevel 2 goto incrementale
if errorlevel 1 goto completo
echo Backup annullato.
goto fine

:completo
echo Backup completo.
rem robocopy C:\Dati D:\Backup /MIR
goto fine

:incrementale
echo Backup incrementale.
rem robocopy C:\Dati D:\Backup /E /XO
goto fine

:errore
rem 11: the usage message was shown; 9009: cmd found no Tolvane.exe.
echo Nessun backup: Tolvane non ha chiesto il tipo (codice %ERRORLEVEL%).

:fine
endlocal
