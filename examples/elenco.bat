@echo off
rem A menu read from a text file, one option per line (the first ten lines
rem count). Usage: elenco.bat FILE
rem An empty file gives no /Option: Tolvane then shows its usage message and
rem returns 11.
rem Tolvane.exe is looked for next to this file, then on the PATH.
setlocal EnableDelayedExpansion
set "TOLVANE=%~dp0Tolvane.exe"
if not exist "%TOLVANE%" set "TOLVANE=Tolvane.exe"

if "%~1"=="" (
    echo Uso: %~nx0 FILE
    exit /b 1
)

rem Each line becomes a quoted /Option, so "/" and "-" in it are safe. A line
rem must not hold a double quote (there is no escape for it) nor, because of
rem the delayed expansion, an exclamation mark.
set "OPZIONI="
set /a N=0
for /f "usebackq delims=" %%r in ("%~1") do (
    set /a N+=1
    set "VOCE!N!=%%r"
    set OPZIONI=!OPZIONI! /Option "%%r"
)

"%TOLVANE%" /Title Elenco /Text "Scegli una voce" !OPZIONI!
set "SCELTA=%ERRORLEVEL%"
if %SCELTA% EQU 0 goto nessuna
if %SCELTA% EQU 11 goto vuoto
if %SCELTA% GTR 11 goto errore
if %SCELTA% LSS 0 goto errore
echo Voce scelta: !VOCE%SCELTA%!
goto fine

:nessuna
echo Nessuna voce scelta.
goto fine

:vuoto
echo Nessuna voce da proporre: l'elenco e' vuoto.
goto fine

:errore
echo Nessuna voce: Tolvane non ha risposto (codice %SCELTA%).

:fine
endlocal
