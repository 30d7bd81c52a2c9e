-- BM6: BM5 and an inner FOR of five passes
local function s() end
local k = 0
local m = {}
::l::
k = k + 1
local a = k / 2 * 3 + 4 - 5
s()
for l = 1, 5 do end
if k < @N@ then goto l end
