# A short tour of the add-on in velmora-host, for a run without a terminal:
# the menu, the automatic-update mark, the language dialog, and a restart of the
# host that finds both choices again.
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
quit
