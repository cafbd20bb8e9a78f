-- Float recurrence x = x * 0.999 + 1.5, 2e7 steps.
local t0 = os.clock()
x = 0.0
k = 0
while k < 20000000 do
  x = x * 0.999 + 1.5
  k = k + 1
end
local t = os.clock() - t0
print(string.format("%.3f", t))
-- Vorn's %f: 7 significant digits, then 2 decimals.
print(string.format("x=%.2f k=%d", tonumber(string.format("%.7g", x)), k))
