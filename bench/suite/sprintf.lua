-- Formatting: string.format("v=%d f=%.2f") 3e5 times.
local t0 = os.clock()
k = 0
while k < 300000 do
  f = k * 0.5
  buf = string.format("v=%d f=%.2f", k, f)
  k = k + 1
end
local t = os.clock() - t0
print(string.format("%.3f", t))
print(buf)
