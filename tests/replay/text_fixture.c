/* A ZAVOK program that prints known lines in its text window, for the text reader's test:
 * filler lines that scroll away, three of the package's notices, a line longer than the window,
 * lines that hold every printable character once (in an order and with neighbours drawn from
 * the seed), and short random lines. Every line it prints itself is also written to
 * printed.txt; "ready" appears once all are printed. Each key typed prints one more line.
 *   text_fixture SEED [hidden]     (hidden: the text window is hidden, as Kartello does) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zavok.h>

static unsigned long state;
static unsigned next_random(unsigned below) {
    state = state * 1103515245UL + 12345UL;
    return (unsigned)((state >> 16) & 0x7FFF) % below;
}

static FILE *printed;
static void print_line(const char *text) {
    ZAVOK_printf("%s\n", text);
    fprintf(printed, "%s\n", text);
    fflush(printed);
}

/* Printable codes: ASCII and the upper half of the ANSI code page but for the no-break space
 * (which looks like a space). */
static int printable(unsigned code) { return (code >= 0x20 && code < 0x7F) || (code > 0xA0 && code <= 0xFF); }

static void random_line(char *line, unsigned longest) {
    unsigned length = next_random(longest + 1), i = 0;
    while (i < length) {
        unsigned code = 0x20 + next_random(0xE0);
        if (printable(code)) line[i++] = (char)code;
    }
    while (i > 0 && line[i - 1] == ' ') --i; /* trailing spaces cannot be seen */
    line[i] = '\0';
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    char line[512];
    unsigned char codes[256];
    unsigned count = 0, i;
    int x, y, event;
    char key;

    const char *out = getenv("TEXT_FIXTURE_OUT");
    if (command_line[0] == '\0' && getenv("TEXT_FIXTURE_ARGUMENTS") != NULL) command_line = getenv("TEXT_FIXTURE_ARGUMENTS");
    state = strtoul(command_line, NULL, 10);
    printed = fopen(out != NULL ? out : "printed.txt", "wb");
    if (printed == NULL) return 1;
    ZAVOK_open(instance, previous, command_line, show);
    if (strstr(command_line, "hidden") != NULL) ZAVOK_show_text(0);
    ZAVOK_logging(0);

    for (i = 0; i < 30; ++i) {
        random_line(line, 60);
        print_line(line);
    }
    ZAVOK_undo();                   /* ZAVOK_undo is no longer supported. */
    ZAVOK_pixel(99, 0, 0);          /* Illegal color 99; using RED. */
    ZAVOK_circle(COLOR_RED, 0, 0, -5); /* Radius of -5 not possible, ... */
    for (i = 0; i < 400; ++i) line[i] = (char)('A' + i % 26);
    line[400] = '\0';
    print_line(line);

    for (i = 0x20; i <= 0xFF; ++i)
        if (printable(i) && i != ' ') codes[count++] = (unsigned char)i;
    for (i = count - 1; i > 0; --i) { /* shuffled */
        unsigned j = next_random(i + 1);
        unsigned char t = codes[i];
        codes[i] = codes[j];
        codes[j] = t;
    }
    for (i = 0; i < count; i += 48) {
        unsigned at = 0, k;
        for (k = i; k < count && k < i + 48; ++k) {
            line[at++] = (char)codes[k];
            if (next_random(4) == 0) line[at++] = ' ';
        }
        while (at > 0 && line[at - 1] == ' ') --at;
        line[at] = '\0';
        print_line(line);
    }
    for (i = 0; i < 4; ++i) {
        random_line(line, 40);
        print_line(line);
    }
    fclose(fopen("ready", "wb"));

    for (;;) {
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_QUIT) break;
        if (event == ZAVOK_KBD) {
            sprintf(line, "key %d", (unsigned char)key);
            print_line(line);
        }
    }
    fclose(printed);
    ZAVOK_close();
    return 0;
}
