#!/usr/bin/env bash
# Each sentence of the course is taught once, and its English names it: a German sentence belongs to one
# lesson (it may come back within that lesson), and two different German sentences never share one
# English text. Texts are compared without their trailing blanks. Every text keeps to the letters the
# course uses: printable ASCII and ä ö ü Ä Ö ß ñ. The check first proves itself on small made-up courses,
# then reads data/course/lesson*.txt.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# check_pairs LESSONFILE...: prints one line for each fault found; fails when there is one.
check_pairs() {
    LC_ALL=C awk -F'|' '
        FNR == 1 { lesson = FILENAME; sub(/.*lesson/, "", lesson); sub(/\.txt$/, "", lesson) }
        /^#/ || NF < 4 { next }
        {
            german = $2; english = $3
            sub(/ +$/, "", german); sub(/ +$/, "", english)
            here = lesson "." $1
            if (german in germanAt && germanLesson[german] != lesson) {
                printf "taught in two lessons: \"%s\" at %s and %s\n", german, germanAt[german], here
                faults++
            } else if (!(german in germanAt)) {
                germanAt[german] = here; germanLesson[german] = lesson
            }
            if (english in englishOf && englishOf[english] != german) {
                printf "one English for two German sentences: \"%s\" for \"%s\" (%s) and \"%s\" (%s)\n",
                       english, englishOf[english], englishAt[english], german, here
                faults++
            } else if (!(english in englishOf)) {
                englishOf[english] = german; englishAt[english] = here
            }
        }
        END { exit faults > 0 }
    ' "$@"
}

# check_letters LESSONFILE...: prints each line with a character outside the course's letters; fails
# when there is one.
check_letters() {
    LC_ALL=C awk '
        {
            rest = $0
            sub(/\r$/, "", rest)
            gsub(/ä|ö|ü|Ä|Ö|ß|ñ/, "", rest)
            if (rest ~ /[^ -~]/) {
                printf "a letter the course does not use: %s:%d: %s\n", FILENAME, FNR, $0
                faults++
            }
        }
        END { exit faults > 0 }
    ' "$@"
}

check_course() {
    local result=0
    check_pairs "$@" || result=1
    check_letters "$@" || result=1
    return "$result"
}

failed=0

# expect pass|fail NAME, then the lines of a made-up course on standard input, each as "NN line" for
# lessonNN.txt.
expect() {
    local wanted=$1 name=$2 dir got line
    dir="$(mktemp -d "$tmp/course.XXXXXX")"
    while IFS= read -r line; do
        printf '%s\n' "${line#* }" >> "$dir/lesson${line%% *}.txt"
    done
    if check_course "$dir"/lesson*.txt > /dev/null; then got=pass; else got=fail; fi
    if [ "$got" != "$wanted" ]; then
        echo "The check itself is wrong: '$name' should $wanted but does $got."
        failed=1
    fi
}

expect pass "different sentences in two lessons" <<'EOF'
01 # Greeting
01 1|Guten Tag.  |Good afternoon.  |
01 2|Guten Abend.  |Good evening.  |
02 # Leaving
02 1|Gute Nacht.  |Good night.  |
EOF
expect pass "a sentence that comes back within its lesson" <<'EOF'
08 # Ordering
08 1|Sonst noch etwas?  |Anything else?  |
08 2|Nein, danke.  |No, thanks.  |
08 3|Sonst noch etwas?  |Anything else?  |
EOF
expect pass "one caption for two lessons" <<'EOF'
05 # Travelling
05 1|Gute Reise!  |Have a good trip!  |
06 # Travelling
06 1|Wo ist der Bahnhof?  |Where is the train station?  |
EOF
expect pass "the same English but for the register marker" <<'EOF'
02 # Names
02 1|Wie heißen Sie?  |What's your name? (formal)  |
02 2|Wie heißt du?  |What's your name? (informal)  |
EOF
expect fail "a German sentence in two lessons" <<'EOF'
01 # Greeting
01 1|Herzlich willkommen!  |Welcome!  |
07 # Visiting
07 1|Herzlich willkommen!  |Welcome!  |
EOF
expect fail "a German sentence in two lessons with other trailing blanks and other English" <<'EOF'
05 # Travelling
05 1|Wie lange dauert die Fahrt?  |How long does the trip take?  |
13 # Time
13 1|Wie lange dauert die Fahrt? |How long is the ride? |
EOF
expect fail "a German sentence in a third lesson" <<'EOF'
01 # One
01 1|Danke.  |Thanks.  |
02 # Two
02 1|Bitte.  |Please.  |
03 # Three
03 1|Bitte.  |You're welcome.  |
03 2|Danke.  |Thanks.  |
EOF
expect fail "two German sentences of one lesson share their English" <<'EOF'
05 # Travelling
05 1|Ja, bitte setzen Sie sich.  |Yes, please have a seat.  |
05 2|Ja, bitte nehmen Sie Platz.  |Yes, please have a seat.  |
EOF
expect fail "two German sentences of two lessons share their English, but for trailing blanks" <<'EOF'
01 # Greeting
01 1|Danke, gut. Und Ihnen? |And you? |
02 # Family
02 1|Und du?  |And you?  |
EOF
expect fail "a recurring sentence and a third one share their English" <<'EOF'
10 # Shopping
10 1|Was kostet das?  |How much is this?  |
10 2|Was kostet das?  |How much is this?  |
10 3|Wie viel kostet das?  |How much is this?  |
EOF
expect pass "all the letters the course uses" <<'EOF'
03 # Letters
03 1|Grüße aus Köln: Äpfel, Öl und Fuß; ~ {ok} 100% @ 9:30!  |Regards from Cologne, señor!  |
EOF
expect fail "a capital U with umlaut" <<'EOF'
03 # Bank
03 1|Wie lange dauert eine Überweisung?  |How long does a transfer take?  |
EOF
expect fail "typographic quotes" <<'EOF'
04 # Celebrations
04 1|Er sagt „Prost!“  |He says "Cheers!"  |
EOF
expect fail "a typographic dash in the English" <<'EOF'
04 # Celebrations
04 1|Prost!  |Cheers – to you!  |
EOF
expect fail "a tab" <<'EOF'
04 # Celebrations
04 1|Prost!	|Cheers!  |
EOF

if [ "$failed" -eq 0 ]; then
    if check_course "$root"/data/course/lesson*.txt; then
        echo "The course teaches each sentence in one lesson, with its own English, in its own letters."
    else
        failed=1
    fi
fi
exit "$failed"
