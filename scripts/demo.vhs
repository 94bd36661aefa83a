# A short tour of the add-on in velmora-host, for a run without a terminal:
# the menu, the automatic-update mark, the language dialog, a restart of the
# host that finds both choices again, and a check for updates against the local
# update server that scripts/run.sh starts.
echo "The add-on's menu as registered in English:"
show
echo "Turn the automatic update check off:"
menu 4
expect-unchecked 4
echo "Pick Italian in the language dialog:"
menu 2
select 3 1
expect-text 2 "Annulla"
click 1
show
echo "Start the host again: the menu is registered in Italian, the mark stays off."
restart
expect-menu 1 "Informazioni su VelmoraLibrary"
expect-unchecked 4
show
echo "Check for updates: the local update server of the run command lists a newer build."
menu 3
wait-text 4 "Plug-in VelmoraLibrary: aggiornamento disponibile!" 20
show
echo "Download update… hands the update page to the browser:"
click 5
wait 2
quit
