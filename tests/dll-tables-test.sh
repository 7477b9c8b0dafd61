#!/bin/sh
# The DLL's export and import tables as a player's game sees them: exactly
# the two undecorated exports, and imports from Windows' own DLLs only.
# Usage: dll-tables-test.sh OBJDUMP DLL
set -u
objdump=$1
dll=$2
tables=$("$objdump" -p "$dll") || { echo "cannot read $dll"; exit 1; }
status=0

exports=$(printf '%s\n' "$tables" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
if [ "$exports" != "SFSEPlugin_Load SFSEPlugin_Version " ]; then
  echo "exports are '$exports', expected 'SFSEPlugin_Load SFSEPlugin_Version '"
  status=1
fi

imports=$(printf '%s\n' "$tables" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "no import table found"; status=1; }
for name in $imports; do
  case $(printf '%s' "$name" | tr 'A-Z' 'a-z') in
    kernel32.dll|user32.dll|shell32.dll|ole32.dll|msvcrt.dll|ntdll.dll|advapi32.dll|ucrtbase.dll|api-ms-win-*) ;;
    *) echo "imports $name, which is not a Windows system DLL"; status=1 ;;
  esac
done

[ $status -eq 0 ] && echo "exports: $exports; imports: $(echo $imports)"
exit $status
