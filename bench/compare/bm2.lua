-- BM2: a counter, an IF and a GOTO back
local k = 0
::l::
k = k + 1
if k < @N@ then goto l end
