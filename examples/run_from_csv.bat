@echo off
rem Runs one session for each row of a CSV file of participant and session numbers, in the
rem order of the file, and stops at the first failure. The whole file is checked first: when
rem a row cannot be used, nothing runs.
rem usage: run_from_csv.bat <script.ebs> <sessions.csv>
rem The CSV file has the header line "Subject,Session", then one "subject,session" a row, both
rem whole numbers. Blanks are dropped and empty lines skipped; in the header, letter case and
rem double quotes do not matter. Further fields are not used; each is empty or a whole number.
rem Set TARVO to the path of tarvo.exe if it is not on the PATH. Each run checks that the
rem participant's data were saved (-D), and a failed check stops the batch. Set TARVO_JOURNAL
rem to a CSV file, on a drive that all stations share, and every run is recorded there.
setlocal EnableExtensions DisableDelayedExpansion
if not defined TARVO set TARVO=tarvo.exe
if "%~2"=="" (
    echo usage: run_from_csv.bat script.ebs sessions.csv
    exit /b 2
)
set "SCRIPT=%~1"
set "CSV=%~2"

rem Each line goes through a FOR variable into LINE, with delayed expansion off so that "!" and
rem "^" stay as they are. Rows are numbered from 1 for the header; empty lines are skipped and
rem not counted. A refusal sets REFUSED and the later lines are passed over.
set REFUSED=

rem "for /f" also skips the lines that begin with its eol character. The checking pass below
rem sets that to "|"; this pass, with the usual ";", refuses the lines that begin with "|".
set ROWS=0
for /f "usebackq delims= eol=;" %%r in ("%CSV%") do (
    set "LINE=%%r"
    call :bar_line
)

set ROWS=0
for /f "usebackq delims= eol=|" %%r in ("%CSV%") do (
    set "LINE=%%r"
    call :check_line
)
if defined REFUSED exit /b 2
if %ROWS%==0 goto unreadable

rem Every row after the header has passed; each is in SUBJECT.<row> and SESSION.<row>.
set ROW=1
:next
if %ROW%==%ROWS% goto done
set /a ROW+=1
call set "SUBJECT=%%SUBJECT.%ROW%%%"
call set "SESSION=%%SESSION.%ROW%%%"
"%TARVO%" "%SCRIPT%" Subject=%SUBJECT% Session=%SESSION% -D
rem Tarvo fails with exit code -1, which "if errorlevel 1" does not catch.
if not %errorlevel%==0 goto failed
goto next

rem The file's name is shown with delayed expansion: a name such as "R&D.csv" would be run
rem from "&" on if it were expanded with percent signs.
:done
setlocal EnableDelayedExpansion
echo All sessions in !CSV! done.
exit /b 0

:failed
echo Stopped: Tarvo failed for subject %SUBJECT%, session %SESSION%.
exit /b 1

:unreadable
setlocal EnableDelayedExpansion
echo Cannot read !CSV!, or it is empty.
exit /b 2

rem A line's text is expanded only between double quotes, where cmd takes "&", "|", "<", ">",
rem "^", "%" and "!" as they are, and only once each double quote in it has become an x or
rem has gone. An x is refused like any other character that is not a digit, comma or blank.

rem One line, in LINE, row number ROWS: refused when it begins with "|". "for /f" mostly skips
rem empty lines itself, but not in every cmd and with every eol.
:bar_line
if defined REFUSED exit /b 0
if not defined LINE exit /b 0
set /a ROWS+=1
set "FIELDS=%LINE:"=x%"
if not "%FIELDS:~0,1%"=="|" exit /b 0
if %ROWS%==1 goto no_header
goto not_whole

rem One line, in LINE, row number ROWS: the header, or a row whose first two fields go to
rem SUBJECT.<row> and SESSION.<row>.
:check_line
if defined REFUSED exit /b 0
if not defined LINE exit /b 0
set /a ROWS+=1
if %ROWS%==1 goto header
rem The two commas at the end make sure a missing session shows as an empty field.
set "FIELDS=%LINE:"=x%,,"
set "FIELDS=%FIELDS: =%"
rem The x keeps the variable defined when the digits and commas are taken out.
set "REST=x%FIELDS%"
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
set "REST=%REST:,=%"
if not "%REST%"=="x" goto not_whole
if "%FIELDS:~0,1%"=="," goto empty_field
set "REST=%FIELDS:*,=%"
if "%REST:~0,1%"=="," goto empty_field
for /f "tokens=1,2 delims=," %%a in ("%FIELDS%") do (
    set "SUBJECT.%ROWS%=%%a"
    set "SESSION.%ROWS%=%%b"
)
exit /b 0

rem R's write.csv puts the names in double quotes. Excel's "CSV UTF-8" puts a byte-order mark
rem in front, read as one character or as three, depending on the code page.
:header
set "FIELDS=%LINE:"=%,"
set "FIELDS=%FIELDS: =%"
if /i "%FIELDS:~0,16%"=="Subject,Session," exit /b 0
if /i "%FIELDS:~1,16%"=="Subject,Session," exit /b 0
if /i "%FIELDS:~3,16%"=="Subject,Session," exit /b 0

rem The refusals name the row by its number and never show it: echoing its text would run it.
:no_header
set REFUSED=1
setlocal EnableDelayedExpansion
echo Row 1 of !CSV! is not the header "Subject,Session".
exit /b 0

:not_whole
set REFUSED=1
setlocal EnableDelayedExpansion
echo Row %ROWS% of !CSV! has a field that is not a whole number.
exit /b 0

:empty_field
set REFUSED=1
setlocal EnableDelayedExpansion
echo Row %ROWS% of !CSV! has an empty field.
exit /b 0
