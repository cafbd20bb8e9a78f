-- Int array sum: 1000 elements read 3000 times (3e6 reads).
local t0 = os.clock()
a = {}
j = 0
while j < 1000 do
  a[j + 1] = j
  j = j + 1
end
s = 0
p = 0
while p < 3000 do
  j = 0
  while j < 1000 do
    s = s + a[j + 1]
    j = j + 1
  end
  p = p + 1
end
local t = os.clock() - t0
print(string.format("%.3f", t))
print(string.format("s=%d", s))
