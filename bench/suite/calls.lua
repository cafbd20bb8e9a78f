-- Recursive calls: fib(11) summed 40000 times.
function fib(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end
local t0 = os.clock()
s = 0
k = 0
while k < 40000 do
  s = s + fib(11)
  k = k + 1
end
local t = os.clock() - t0
print(string.format("%.3f", t))
print(string.format("s=%d", s))
