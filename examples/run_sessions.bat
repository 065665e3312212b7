@echo off
rem Runs the sessions of one participant in a row and stops at the first failure.
rem usage: run_sessions.bat <script.ebs> <subject> <first session> <last session>
rem The three numbers must be whole numbers; leading zeros are read as decimal (08 is 8).
rem The first session must not be greater than the last.
rem Set TARVO to the path of tarvo.exe if it is not on the PATH. Each run checks that the
rem participant's data were saved (-D), and a failed check stops the batch. Set TARVO_JOURNAL
rem to a CSV file, on a drive that all stations share, and every run is recorded there.
setlocal
if not defined TARVO set TARVO=tarvo.exe
if "%~4"=="" (
    echo usage: run_sessions.bat script.ebs subject first-session last-session
    exit /b 2
)
set "SCRIPT=%~1"
call :whole SUBJECT subject "%~2"
if errorlevel 1 exit /b 2
call :whole SESSION "first session" "%~3"
if errorlevel 1 exit /b 2
call :whole LAST "last session" "%~4"
if errorlevel 1 exit /b 2
if %SESSION% GTR %LAST% goto backwards

:next
if %SESSION% GTR %LAST% goto done
"%TARVO%" "%SCRIPT%" Subject=%SUBJECT% Session=%SESSION% -D
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

:backwards
echo The first session (%SESSION%) is greater than the last session (%LAST%).
exit /b 2

rem call :whole VARIABLE "what" "text": sets VARIABLE to the text read as a decimal whole
rem number of at most 9 digits, or says what is wrong and sets errorlevel 1. Leading zeros
rem go first: "set /a" would read 010 as octal 8 and refuse 08.
:whole
setlocal
set "NUMBER=%~3"
rem The x keeps the variable defined when the digits are taken out.
set "REST=x%~3"
set "REST=%REST:0=%"
set "REST=%REST:1=%"
set "REST=%REST:2=%"
set "REST=%REST:3=%"
set "REST=%REST:4=%"
set "REST=%REST:5=%"
set "REST=%REST:6=%"
set "REST=%REST:7=%"
set "REST=%REST:8=%"
set "REST=%REST:9=%"
if not "%REST%"=="x" goto not_whole
if "%NUMBER%"=="" goto not_whole
:strip
if "%NUMBER:~0,1%"=="0" if not "%NUMBER%"=="0" (
    set "NUMBER=%NUMBER:~1%"
    goto strip
)
if not "%NUMBER:~9%"=="" (
    echo The %~2 has more than 9 digits: "%~3"
    exit /b 1
)
endlocal & set "%~1=%NUMBER%"
exit /b 0

:not_whole
echo The %~2 must be a whole number: "%~3"
exit /b 1
