@echo off
rem Runs a battery of tasks for the next participant: the journal gives the first task the
rem next Subject number and the group (1 to 4) with the fewest participants, and each later
rem task the same Subject and group, and stops at the first task whose data were not saved.
rem usage: run_battery.bat <journal.csv> <first task.ebs> [<next task.ebs> ...]
rem The journal is a CSV file on a drive that all stations share; Tarvo locks it while it
rem chooses, so stations that start at once get different numbers. Each script must ask for
rem Subject with a whole-number check, as the generated scripts do, and have a Group.
rem Set TARVO to the path of tarvo.exe if it is not on the PATH.
setlocal
if not defined TARVO set TARVO=tarvo.exe
if "%~2"=="" (
    echo usage: run_battery.bat journal.csv first-task.ebs [next-task.ebs ...]
    exit /b 2
)
set "JOURNAL=%~1"
set "TASK=%~2"
"%TARVO%" "%~2" Subject=next Session=1 -B Group=1,2,3,4 -Y -D -L "%JOURNAL%"
rem Tarvo fails with exit code -1, which "if errorlevel 1" does not catch.
if not %errorlevel%==0 goto failed

:next
shift /2
if "%~2"=="" goto done
set "TASK=%~2"
"%TARVO%" "%~2" Subject=same Group=same Session=1 -Y -D -L "%JOURNAL%"
if not %errorlevel%==0 goto failed
goto next

:done
echo Battery done.
exit /b 0

:failed
echo Stopped: Tarvo failed for %TASK%.
exit /b 1
