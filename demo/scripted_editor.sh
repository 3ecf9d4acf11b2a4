#!/bin/sh
# A non-interactive editor for the demo when no terminal is there: it adds
# one line to the file it is given, so the edit visibly changes the text.
printf '%s\n' "-- line added by the scripted editor --" >> "$1"
