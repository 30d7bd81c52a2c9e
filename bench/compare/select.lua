-- a SELECT over four cases, the matching one found in turn
local a, b, c, d = 0, 0, 0, 0
for k = 1, @N@ do
  local v = k % 4
  if v == 0 then a = a + 1 elseif v == 1 then b = b + 1 elseif v == 2 then c = c + 1 else d = d + 1 end
end
