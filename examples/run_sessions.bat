@echo off
rem Runs the sessions of one participant in a row and stops at the first failure.
rem usage: run_sessions.bat <script.ebs> <subject> <first session> <last session>
rem Set TARVO to the path of tarvo.exe if it is not on the PATH.
setlocal
if not defined TARVO set TARVO=tarvo.exe
if "%~4"=="" (
    echo usage: run_sessions.bat script.ebs subject first-session last-session
    exit /b 2
)
set SCRIPT=%~1
set SUBJECT=%~2
set SESSION=%~3
set LAST=%~4

:next
if %SESSION% GTR %LAST% goto done
"%TARVO%" "%SCRIPT%" Subject=%SUBJECT% Session=%SESSION%
rem Tarvo fails with exit code -1, which "if errorlevel 1" does not catch.
if not %errorlevel%==0 goto failed
set /a SESSION=%SESSION%+1
goto next

:done
echo All sessions of subject %SUBJECT% done.
exit /b 0

:failed
echo Stopped: Tarvo failed for subject %SUBJECT%, session %SESSION%.
exit /b 1
