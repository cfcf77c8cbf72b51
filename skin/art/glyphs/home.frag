<path d="M4.5 11.5L12 5L19.5 11.5M7 9.8V18.5H10.6V14.2H13.4V18.5H17V9.8" stroke="currentColor" fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.9"/>
