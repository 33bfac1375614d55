#!/usr/bin/env bash
# Compiles test-only Java classes (package zemtra.nativeCode) and runs the *Test classes among them
# with JUnit 4 on the real JVM, loading the native libraries from the given path.
#   run-java-tests.sh <classes dir> <library path> <file.java>...
set -euo pipefail
classes=${1:?classes dir}
libpath=${2:?library path}
shift 2
junit=/usr/share/java/junit4.jar
hamcrest=/usr/share/java/hamcrest-core.jar
[ -f "$hamcrest" ] || hamcrest=/usr/share/java/hamcrest.jar
classpath="$junit:$hamcrest"
rm -rf "$classes"
mkdir -p "$classes"
javac -Xlint:all -d "$classes" -cp "$classpath" "$@"
tests=()
for source in "$@"; do
  name=$(basename "$source" .java)
  case "$name" in *Test) tests+=("zemtra.nativeCode.$name") ;; esac
done
if [ ${#tests[@]} -eq 0 ]; then
  echo "no test classes among: $*" >&2
  exit 1
fi
exec java -Xcheck:jni -Djava.library.path="$libpath" -cp "$classes:$classpath" \
  org.junit.runner.JUnitCore "${tests[@]}"
