<?php
// The request's server variables, for stmain.php on servers that do not hand them to PHP by name.
// A file of its own: a script that names $_SERVER makes PHP build all of it whenever the script
// is loaded, which is most of what a view costs on Apache. Requested by itself it shows nothing.

return $_SERVER;
