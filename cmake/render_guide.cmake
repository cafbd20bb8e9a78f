# cmake -DCMARK=cmark-gfm -DIN=docs/guide.md -DOUT=guide.html -P render_guide.cmake
# One standalone page: the guide's pictures sit in docs/ beside it.
execute_process(COMMAND ${CMARK} --extension table --to html ${IN}
  OUTPUT_VARIABLE body RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CMARK} could not render ${IN}")
endif()
string(REGEX REPLACE "<img src=\"([^\":/]+\\.png)\"" "<img src=\"docs/\\1\"" body "${body}")
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>Vorn user's guide</title>
<style>
body { font-family: sans-serif; max-width: 50em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }
pre, code { font-family: monospace; background: #f4f4f4; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 0.25em 0.5em; text-align: left; vertical-align: top; }
img { max-width: 100%; }
</style>
</head>
<body>
${body}</body>
</html>
")
