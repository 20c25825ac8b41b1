#!/bin/sh
# Runs a command, given after the VARIABLE=value arguments it also takes,
# under the umask, time zone and locale every package is made with: the
# modes and dates in an archive then come out the same on any machine.
umask 022
export TZ=UTC LC_ALL=C
exec env "$@"
