@echo off
rem A maintenance menu that jumps to a label named after the exit code.
rem Tolvane.exe is looked for next to this file, then on the PATH.
setlocal
set "TOLVANE=%~dp0Tolvane.exe"
if not exist "%TOLVANE%" set "TOLVANE=Tolvane.exe"

"%TOLVANE%" /Title Manutenzione /Text "Che cosa vuoi fare?" /Option "Pulisci i file temporanei" /Option "Controlla il disco C:" /Option "Svuota il Cestino"
rem Keep the code at once: the next command may change ERRORLEVEL.
set "SCELTA=%ERRORLEVEL%"
rem A code with no label (9009: cmd found no Tolvane.exe) would end the
rem script with an error, so it goes to the label of 11.
if %SCELTA% LSS 0 set "SCELTA=11"
if %SCELTA% GTR 11 set "SCELTA=11"
goto scelta%SCELTA%

:scelta1
echo Pulizia dei file temporanei.
rem del /q "%TEMP%\*.tmp"
goto fine

:scelta2
echo Controllo del disco C:.
rem chkdsk C:
goto fine

:scelta3
echo Svuotamento del Cestino.
goto fine

:scelta0
echo Nessuna operazione.
goto fine

:scelta11
echo Nessuna operazione: Tolvane non ha mostrato il menu.

:fine
endlocal
