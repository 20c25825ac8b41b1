# fish completion for Tolvarin FILE ORDER LAYOUT: FILE completes as a file
# name, ORDER as one of the byte orders; LAYOUT, a string of the digits 1, 2,
# 4 and 8, is left to the user.
function __tolvarin_argument_is --argument-names place
    test (count (commandline -opc)) -eq $place
end
for command in Tolvarin tolvarin
    complete -c $command -f
    complete -c $command -n '__tolvarin_argument_is 1' -F
    complete -c $command -n '__tolvarin_argument_is 2' -a '-B -b' -d big-endian
    complete -c $command -n '__tolvarin_argument_is 2' -a '-L -l' -d little-endian
end
