# Writes a UTF-8 .po of n messages: awk -v n=1000 -f make_po.awk > out.po
BEGIN {
  print "msgid \"\""
  print "msgstr \"Content-Type: text/plain; charset=UTF-8\\n\""
  for (i = 1; i <= n; i++) {
    printf "\nmsgid \"Message %d: the operation on the selected item could not be completed\"\n", i
    printf "msgstr \"Meldung %d: der Vorgang am gewählten Element konnte nicht beendet werden\"\n", i
  }
}
