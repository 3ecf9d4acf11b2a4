#!/bin/sh
# Stands in for the user's editor: "$1" is what the user does, "$2" the file.
# When EDIT_LOG names a file, the action and the file name are appended to it.
action=$1
file=$2
if [ -n "$EDIT_LOG" ]; then
    printf '%s %s\n' "$action" "$file" >> "$EDIT_LOG"
fi
case $action in
keep)
    ;;
append)
    printf 'added in the editor\n' >> "$file"
    ;;
same-size-same-time)
    # Change one byte, then put the old modification time back.
    cp -p "$file" "$file.before"
    printf 'X' | dd of="$file" bs=1 count=1 conv=notrunc 2>/dev/null
    touch -r "$file.before" "$file"
    rm -f "$file.before"
    ;;
same-size-same-second)
    # Change one byte and move the modification time within its second.
    second=$(stat -c %Y "$file")
    printf 'X' | dd of="$file" bs=1 count=1 conv=notrunc 2>/dev/null
    touch -d "@$second.5" "$file"
    ;;
same-size-new-time)
    printf 'X' | dd of="$file" bs=1 count=1 conv=notrunc 2>/dev/null
    touch -d '2001-02-03 04:05:06' "$file"
    ;;
remove)
    rm -f "$file"
    ;;
replace-with)
    # EDIT_REPLACEMENT names a file that takes the edited file's place.
    mv "$EDIT_REPLACEMENT" "$file"
    ;;
esac
