# The conversion as a sed -E script, the tool a user would otherwise
# reach for: sed -E -f bench/qif_swap.sed in.qif > out.qif (with LC_ALL=C
# so bytes above 0x7F pass as they are). It asks no question, and sed works
# line by line, so an LF cannot stand as a date's separator; otherwise it
# changes the same bytes.
s/^D([0-9]{2})(.)([0-9]{2})/D\3\2\1/
t
s/^P/M/
t
s/^M/P/
