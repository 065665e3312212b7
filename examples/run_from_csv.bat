@echo off
rem Runs one session for each line of a CSV file of participant and session numbers,
rem in the order of the file, and stops at the first failure.
rem usage: run_from_csv.bat <script.ebs> <sessions.csv>
rem The CSV file has the header line "Subject,Session", then one "subject,session" a line.
rem Set TARVO to the path of tarvo.exe if it is not on the PATH.
setlocal EnableDelayedExpansion
if not defined TARVO set TARVO=tarvo.exe
if "%~2"=="" (
    echo usage: run_from_csv.bat script.ebs sessions.csv
    exit /b 2
)
set SCRIPT=%~1

rem Once a run has failed the remaining lines are skipped, not run.
set FAILED=
for /f "usebackq skip=1 tokens=1,2 delims=, " %%a in ("%~2") do (
    if not defined FAILED (
        "%TARVO%" "%SCRIPT%" Subject=%%a Session=%%b
        rem Tarvo fails with exit code -1, which "if errorlevel 1" does not catch.
        if not !errorlevel!==0 set FAILED=subject %%a, session %%b
    )
)
if defined FAILED goto failed
echo All sessions in %~2 done.
exit /b 0

:failed
echo Stopped: Tarvo failed for %FAILED%.
exit /b 1
