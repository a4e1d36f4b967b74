@echo off
rem The usual way a script reads Tolvane's answer: IF ERRORLEVEL n holds for
rem n and every higher code, so the ladder tests from the highest code down
rem and the first test that holds picks the branch. TOLVANE_EXE holds the
rem program's path, TOLVANE_ARGS its switches. Nothing but echo and if may
rem stand between the call and the tests: Wine's cmd resets ERRORLEVEL on set.
"%TOLVANE_EXE%" %TOLVANE_ARGS%
echo errorlevel=%ERRORLEVEL%
if errorlevel 11 goto usage
if errorlevel 10 goto option10
if errorlevel 9 goto option9
if errorlevel 8 goto option8
if errorlevel 7 goto option7
if errorlevel 6 goto option6
if errorlevel 5 goto option5
if errorlevel 4 goto option4
if errorlevel 3 goto option3
if errorlevel 2 goto option2
if errorlevel 1 goto option1
echo branch=cancel
goto end
:usage
echo branch=usage
goto end
:option10
echo branch=option10
goto end
:option9
echo branch=option9
goto end
:option8
echo branch=option8
goto end
:option7
echo branch=option7
goto end
:option6
echo branch=option6
goto end
:option5
echo branch=option5
goto end
:option4
echo branch=option4
goto end
:option3
echo branch=option3
goto end
:option2
echo branch=option2
goto end
:option1
echo branch=option1
goto end
:end
