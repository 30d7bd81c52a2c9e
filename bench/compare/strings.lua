-- string building: append one character, cut back every 100
local s = ""
for k = 1, @N@ do
  s = s .. string.char(65 + k % 26)
  if #s >= 100 then s = string.sub(s, 50, 59) end
end
