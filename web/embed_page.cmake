# Puts the page together as one file: the template with its style, its
# script, the module and the icon inside, and a Content-Security-Policy that
# allows exactly that style and that script (by their SHA-256). Only text
# substitution and hashing, so the same inputs always give the same bytes.
# cmake -DTEMPLATE= -DSTYLE= -DSCRIPT= -DWORKER= -DMODULE= -DICON= -DRC= -DOUT= -P embed_page.cmake
cmake_minimum_required(VERSION 3.25)

set(kBase64Alphabet
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")

# Base64 of the bytes written as hex digits, three bytes at a time.
function(hex_to_base64 hex out)
  string(LENGTH "${hex}" length)
  set(text "")
  set(i 0)
  while(i LESS length)
    string(SUBSTRING "${hex}" ${i} 6 group)
    string(LENGTH "${group}" groupLength)
    string(SUBSTRING "${group}000000" 0 6 group)
    math(EXPR value "0x${group}")
    math(EXPR chars "${groupLength} / 2 + 1")
    foreach(shift 18 12 6 0)
      if(chars GREATER 0)
        math(EXPR index "(${value} >> ${shift}) & 63")
        string(SUBSTRING "${kBase64Alphabet}" ${index} 1 char)
        string(APPEND text "${char}")
      else()
        string(APPEND text "=")
      endif()
      math(EXPR chars "${chars} - 1")
    endforeach()
    math(EXPR i "${i} + 6")
  endwhile()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(file_base64 path out)
  file(READ "${path}" hex HEX)
  hex_to_base64("${hex}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The module goes in gzipped, at under half its size, and the worker
# inflates it with the browser's DecompressionStream. The gzip header's time
# is zeroed, so the same module always gives the same page.
function(module_base64 path out)
  set(gz "${OUT}.module.gz")
  file(ARCHIVE_CREATE OUTPUT "${gz}" PATHS "${path}" FORMAT raw
       COMPRESSION GZip COMPRESSION_LEVEL 9)
  file(READ "${gz}" hex HEX)
  file(REMOVE "${gz}")
  string(SUBSTRING "${hex}" 0 8 head)
  string(SUBSTRING "${hex}" 16 -1 rest)
  hex_to_base64("${head}00000000${rest}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The CSP source for an inline element: 'sha256-' and its digest in base64.
function(csp_hash text out)
  string(SHA256 digest "${text}")
  hex_to_base64("${digest}" digest64)
  set(${out} "'sha256-${digest64}'" PARENT_SCOPE)
endfunction()

# The dialog's description is the page's text, read from the resource script
# so the two cannot differ. The page has its own title: the dialog's names
# the job, not the program.
function(dialog_description rc out)
  file(READ "${rc}" script)
  if(NOT script MATCHES "CONTROL[ \t]+\"([^\"]+)\"")
    message(FATAL_ERROR "no description text in ${rc}")
  endif()
  set(description "${CMAKE_MATCH_1}")
  string(REPLACE "&" "&amp;" description "${description}")
  string(REPLACE "<" "&lt;" description "${description}")
  set(${out} "${description}" PARENT_SCOPE)
endfunction()

file(READ "${TEMPLATE}" page)
file(READ "${STYLE}" style)
file(READ "${SCRIPT}" script)
file(READ "${WORKER}" worker)
module_base64("${MODULE}" module64)
file_base64("${ICON}" icon64)
dialog_description("${RC}" description)

string(REPLACE "@WASM@" "${module64}" worker "${worker}")
csp_hash("${style}" styleHash)
csp_hash("${script}" scriptHash)
# The worker starts from a blob: URL made of the page's own text, and
# compiling the embedded module needs 'wasm-unsafe-eval'; the icon is a
# data: image; nothing else may load, connect, frame or submit.
set(csp "default-src 'none'; script-src ${scriptHash} 'wasm-unsafe-eval'; worker-src blob:; style-src ${styleHash}; img-src data:; base-uri 'none'; form-action 'none'")

string(REPLACE "@CSP@" "${csp}" page "${page}")
string(REPLACE "@DESCRIPTION@" "${description}" page "${page}")
string(REPLACE "@ICON@" "${icon64}" page "${page}")
string(REPLACE "@STYLE@" "${style}" page "${page}")
string(REPLACE "@WORKER@" "${worker}" page "${page}")
string(REPLACE "@SCRIPT@" "${script}" page "${page}")
file(WRITE "${OUT}" "${page}")
