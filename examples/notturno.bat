@echo off
rem An update that also runs unattended: when nobody answers, the countdown
rem takes the default (option 2) after 5 seconds, so the script never waits
rem for ever. A key or a click in the dialog stops the countdown; then the
rem dialog waits for OK or Annulla. /Timeout takes 1 to 300 seconds.
rem Tolvane.exe is looked for next to this file, then on the PATH.
setlocal
set "TOLVANE=%~dp0Tolvane.exe"
if not exist "%TOLVANE%" set "TOLVANE=Tolvane.exe"

"%TOLVANE%" /Title "Aggiornamento notturno" /Text "Senza risposta, tra 5 secondi vale la scelta evidenziata." /Option "Aggiorna e riavvia" /Option "Aggiorna senza riavviare" /Option "Rimanda a domani" /Default 2 /Timeout 5
rem A code below 0 is a failure that Windows reported, not a cancel.
if %ERRORLEVEL% LSS 0 goto errore
if errorlevel 11 goto errore
if errorlevel 3 goto rimanda
if errorlevel 2 goto aggiorna
if errorlevel 1 goto riavvia
echo Aggiornamento annullato.
goto fine

:riavvia
echo Aggiornamento con riavvio.
goto fine

:aggiorna
echo Aggiornamento senza riavvio.
goto fine

:rimanda
echo Aggiornamento rimandato.
goto fine

:errore
echo Nessun aggiornamento: Tolvane non ha chiesto nulla (codice %ERRORLEVEL%).

:fine
endlocal
