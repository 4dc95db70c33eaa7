# Puts the page together as one file: the template with its style, its
# script, the module and the icon inside, and a Content-Security-Policy that
# allows exactly that style and that script (by their SHA-256). Only text
# substitution, hashing and encoding, so the same inputs always give the same
# bytes.
# cmake -DTEMPLATE= -DSTYLE= -DSCRIPT= -DWORKER= -DMODULE= -DICON= -DRC= -DOUT= -P embed_page.cmake
cmake_minimum_required(VERSION 3.25)

# The page is built on Linux only, so coreutils do the encoding.
function(run_pipe out)
  execute_process(${ARGN} OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The CSP source for an inline element: 'sha256-' and its digest in base64.
function(csp_hash text out)
  string(SHA256 digest "${text}")
  string(TOUPPER "${digest}" digest)
  run_pipe(digest64 COMMAND printf %s "${digest}" COMMAND basenc --base16 -d
           COMMAND base64 -w0)
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
# The module goes in gzipped, at under half its size, and the worker
# inflates it with the browser's DecompressionStream. gzip -n stores no name
# and no time, so the same module always gives the same page.
run_pipe(module64 COMMAND gzip -9nc "${MODULE}" COMMAND base64 -w0)
run_pipe(icon64 COMMAND base64 -w0 "${ICON}")
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
