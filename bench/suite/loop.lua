-- Global counting loop, 3e7 iterations.
local t0 = os.clock()
i = 0
while i < 30000000 do
  i = i + 1
end
local t = os.clock() - t0
print(string.format("%.3f", t))
print(string.format("i=%d", i))
