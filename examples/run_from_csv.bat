@echo off
rem Runs one session for each row of a CSV file of participant and session numbers,
rem in the order of the file, and stops at the first failure or at a row with an empty field.
rem usage: run_from_csv.bat <script.ebs> <sessions.csv>
rem The CSV file has the header line "Subject,Session", then one "subject,session" a row.
rem Set TARVO to the path of tarvo.exe if it is not on the PATH.
setlocal
if not defined TARVO set TARVO=tarvo.exe
if "%~2"=="" (
    echo usage: run_from_csv.bat script.ebs sessions.csv
    exit /b 2
)
set "SCRIPT=%~1"

rem Once a run has failed the remaining rows are skipped, not run.
set STOPPED=
for /f "usebackq skip=1 delims=" %%r in ("%~2") do (
    set "ROW=%%r"
    if not defined STOPPED call :row
)
if defined STOPPED goto stopped
echo All sessions in %~2 done.
exit /b 0

:stopped
echo Stopped: %STOPPED%.
exit /b 1

rem One row, in ROW: its first two fields, without blanks, go to Tarvo. Each field gets a
rem mark in front first, since "for /f" would skip an empty field and shift the next one
rem in; a marked empty field after them makes sure there is a second.
:row
set "FIELDS=#%ROW: =%,"
set "FIELDS=%FIELDS:,=,#%"
set "SUBJECT=#"
set "SESSION=#"
for /f "tokens=1,2 delims=," %%a in ("%FIELDS%") do (
    set "SUBJECT=%%a"
    set "SESSION=%%b"
)
set "SUBJECT=%SUBJECT:~1%"
set "SESSION=%SESSION:~1%"
if "%SUBJECT%"=="" goto empty_field
if "%SESSION%"=="" goto empty_field
"%TARVO%" "%SCRIPT%" Subject=%SUBJECT% Session=%SESSION%
rem Tarvo fails with exit code -1, which "if errorlevel 1" does not catch.
if not %errorlevel%==0 set "STOPPED=Tarvo failed for subject %SUBJECT%, session %SESSION%"
exit /b 0

:empty_field
set STOPPED=row "%ROW%" has an empty field
exit /b 0
